#pragma once
// The About window: the program's title and version, a credits text, and a button that starts
// the operating system's System Information tool.

#include <string>

#include "toolkit/toolkit.h"

namespace about {

class FrmAbout : public tk::Form {
 public:
  explicit FrmAbout(tk::Platform& platform);

  // The design is a table, one control a row, and is kept aligned by hand.
  // clang-format off
  //                            name              caption / picture    left   top  width height tab
  tk::CommandButton cmdOK     {*this, "cmdOK",      "OK",              {4245, 2625, 1260,  345}, 0};
  tk::PictureBox picIcon      {*this, "picIcon",    "about.ico",       { 240,  240,  540,  540}, 1};
  tk::CommandButton cmdSysInfo{*this, "cmdSysInfo", "&System Info...", {4260, 3075, 1245,  345}, 2};
  tk::Label lblDescription    {*this, "lblDescription",
                               "Stopwatch written by the Quorvel team.\n"
                               "Pictures and icons drawn for this program.",
                                                                       {1050, 1125, 3885, 1170}, 3};
  tk::Label lblDisclaimer     {*this, "lblDisclaimer",
                               "Warning: This code was designed for a university course and may "
                               "be unsafe to run.",                    { 255, 2625, 3870,  825}, 4};
  tk::Label lblTitle          {*this, "lblTitle",   "Bransk Quorvel - Clock",
                                                                       {1050,  240, 3885,  480}, 5};
  tk::Label lblVersion        {*this, "lblVersion", "Version 1.2 27-APR-2004",
                                                                       {1050,  780, 3885,  225}, 6};

  // The etched separator: a white line just below a grey one. Index 0 lies behind index 1, so
  // the wider white line never covers the grey one.
  tk::Line Line1[2]{{*this, "Line1(0)", {105, 2460, 5654, 2460}, 2},
                    {*this, "Line1(1)", {90, 2445, 5654, 2445}, 1}};
  // clang-format on

  // Starts the System Information tool, or tells the user it is unavailable. Never raises.
  void StartSysInfo();
  // Reads one registry value into KeyVal: text as it is, a 32-bit number as "&h" hex digits
  // run through the general number formatting, any other type leaves KeyVal as it was. False,
  // with KeyVal empty, when the key cannot be opened or the value cannot be read. A value of
  // size 0 raises a run-time error.
  bool GetKeyValue(tk::RegistryService::Key KeyRoot, const std::string& KeyName,
                   const std::string& SubKeyRef, std::string& KeyVal);

  static constexpr const char* unavailableMessage =
      "System Information Is Unavailable At This Time";

 private:
  void fillInTitleAndVersion();
  bool startSysInfoProgram();
  bool readValue(tk::RegistryService::Key key, const std::string& name, std::string& KeyVal);
};

}  // namespace about
