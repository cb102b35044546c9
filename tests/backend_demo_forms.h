#pragma once
// The small forms both window backends' tests drive: every control kind on one window, and a
// dialog-style window.

#include <map>
#include <string>

#include "toolkit/toolkit.h"

namespace backend_demo {

// Every event a handler saw, by control name.
using EventLog = std::map<std::string, int>;

class DemoForm : public tk::Form {
 public:
  DemoForm(tk::Platform& platform, EventLog& log)
      : tk::Form(platform, "frmDemo", "Demo", 9000, 4500) {
    setBackColour(0xE0E0E0);
    txtName.setMaxLength(3);
    cmdOff.setEnabled(false);
    cmdGo.setGraphical(0x00C000);
    defaultButton = &cmdGo;
    cancelButton = &cmdCancel;
    for (const char* item : {"1", "2", "3"}) cboPick.addItem(item);
    optOutside.setValue(true);
    shpDot.setFillColour(0x0000FF);
    linDiag.setBorderColour(0xFF0000);
    lblNote.setOpaque(0x00FFFF);
    lblInFrame.setOpaque(0x00FF00);

    cmdGo.onClick = [&] { ++log["cmdGo"]; };
    cmdCancel.onClick = [&] { ++log["cmdCancel"]; };
    cmdOff.onClick = [&] { ++log["cmdOff"]; };
    txtName.onChange = [&] { ++log["txtName"]; };
    chkFlag.onClick = [&] { ++log["chkFlag"]; };
    cboPick.onClick = [&] { ++log["cboPick"]; };
    lstItems.onClick = [&] { ++log["lstItems"]; };
    optA.onClick = [&] { ++log["optA"]; };
    optB.onClick = [&] { ++log["optB"]; };
    mnuQuit.onClick = [&] { ++log["mnuQuit"]; };
  }

  tk::CommandButton cmdOff{*this, "cmdOff", "Off", {2880, 120, 1200, 375}, 0};
  tk::CommandButton cmdGo{*this, "cmdGo", "&Go", {120, 120, 1200, 375}, 1};
  tk::CommandButton cmdCancel{*this, "cmdCancel", "Cancel", {1500, 120, 1200, 375}, 2};
  tk::TextBox txtName{*this, "txtName", "ab", {120, 600, 1500, 315}, 3};
  tk::CheckBox chkFlag{*this, "chkFlag", "Flag", {1800, 600, 1200, 255}, 4};
  tk::ComboBox cboPick{*this, "cboPick", "pick", {120, 1020, 1200, 315}, 5};
  tk::ListBox lstItems{*this, "lstItems", {"On", "Off"}, {1500, 1020, 1200, 600}, 6};
  tk::Slider sldPick{*this, "sldPick", {3300, 600, 495, 1815}, 7, 0, 4, tk::Orientation::Vertical};
  tk::ProgressBar barProgress{*this, "barProgress", {120, 4200, 3000, 135}, 8, 0, 59};
  tk::Frame fraGroup{*this, "fraGroup", "Group", {4000, 120, 1800, 1800}, 12};
  tk::OptionButton optA{fraGroup, "optA", "A", {120, 300, 1200, 255}, 10};
  tk::OptionButton optB{fraGroup, "optB", "B", {120, 700, 1200, 255}, 11};
  tk::Label lblInFrame{fraGroup, "lblInFrame", "", {120, 1200, 1500, 300}, -1};
  tk::OptionButton optOutside{*this, "optOutside", "Outside", {120, 1800, 1500, 255}, 9};
  tk::Shape shpDot{*this, "shpDot", tk::ShapeKind::Circle, {1500, 2400, 900, 600}};
  tk::Line linDiag{*this, "linDiag", {3000, 2400, 4500, 3900}, 3};
  tk::Label lblNote{*this, "lblNote", "Note", {120, 3300, 1200, 255}, -1};
  tk::Image imgBell{*this, "imgBell", "alarm.gif", {6300, 120, 2280, 2505}};
  tk::PictureBox picIcon{*this, "picIcon", "about.ico", {6300, 2700, 540, 540}, 13};
  tk::Menu mnuFile{*this, "mnuFile", "File"};
  tk::Menu mnuQuit{mnuFile, "mnuQuit", "Quit", "Ctrl+Q"};
  tk::Timer tmrCount{*this, "tmrCount", 0};  // silent until a test gives it an interval
};

// A dialog-style form: fixed size, no task-bar button, its client area where the form says.
class DialogForm : public tk::Form {
 public:
  explicit DialogForm(tk::Platform& platform)
      : tk::Form(platform, "frmDialog", "About Demo", 3000, 1500) {
    borderStyle = tk::BorderStyle::FixedDialog;
    showInTaskbar = false;
    manualPosition = true;
    screenLeft = 2340;
    screenTop = 1935;
    defaultButton = cancelButton = &cmdOK;
    cmdOK.onClick = [this] { unload(); };
  }
  tk::CommandButton cmdOK{*this, "cmdOK", "OK", {1500, 900, 1200, 375}, 0};
};

}  // namespace backend_demo
