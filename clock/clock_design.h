#pragma once
// The Stopwatch window as designed: every control with its container, caption, place (twips:
// left, top, width, height) and tab index, before any code runs. Behaviour lives in FrmClock.
//
// Declaration order matters: a container comes before what it holds, and graphical controls are
// stacked in declaration order (the face at the back, then the minute hand, the second hand and
// the alarm picture in front).

#include "toolkit/toolkit.h"

namespace clock_window {

class ClockDesign : public tk::Form {
 public:
  explicit ClockDesign(tk::Platform& platform);

  // The design is a table, one control a row, and is kept aligned by hand.
  // clang-format off
  // The frames first, since they hold controls of their own.
  tk::Frame frmDigital     {*this, "frmDigital",  "Digital Display!", {2040, 3960, 4815, 1095}, 14};
  tk::Frame frmLoadSave    {*this, "frmLoadSave", "Load/Save",        {   0,  720, 1455, 1815}, 29};

  //                               name                      caption / text     left   top  width height tab
  tk::CommandButton cmdStartStop  {*this, "cmdStartStop",    "Stop",          {6120,    0, 1215,  375},  0};
  tk::CommandButton cmdReset      {*this, "cmdReset",        "Reset",         {6240,  480, 1215,  495},  1};
  tk::OptionButton optBackwards   {*this, "optBackwards",    "Backwards",     {6240, 1920, 1575,  495},  2};
  tk::OptionButton optForwards    {*this, "optForwards",     "Forwards",      {6240, 2640, 1575,  375},  3};
  tk::ComboBox lstMinutes         {*this, "lstMinutes",      "Minutes",       { 480,  240,  735,  315},  4};
  tk::ComboBox lstSeconds         {*this, "lstSeconds",      "Seconds",       {1440,  240,  615,  315},  5};
  tk::CommandButton cmdPreset     {*this, "cmdPreset",       "Preset Now",    {4800,  360,  975,  615},  6};
  tk::CommandButton cmdChangeColour{*this, "cmdChangeColour", "Change Colour", {5160, 5280, 1935,  375},  7};
  tk::Slider sldColourPick        {*this, "sldColourPick",                    { 120, 2520,  495, 1815},  8,
                                   0, 4, tk::Orientation::Vertical};
  tk::Label lblColourSecondHand   {*this, "lblColourSecondHand",    "Second Hand",    { 720, 2640, 1095,  255},  9};
  tk::Label lblColourMinuteHand   {*this, "lblColourMinuteHand",    "Minute Hand",    { 720, 3000,  975,  255}, 10};
  tk::Label lblColourDigitalBorder{*this, "lblColourDigitalBorder", "Digital Border", { 720, 3360, 1215,  255}, 11};
  tk::Label lblColourFace         {*this, "lblColourFace",          "Stopwatch Face", { 720, 3720, 1335,  255}, 12};
  tk::Label lblColourDigits       {*this, "lblColourDigits",        "Digital Digits", { 720, 4080, 1815,  255}, 13};
  tk::CheckBox chkDigitalToggle   {*this, "chkDigitalToggle", "Digital",          {7320, 4920,  255,  255}, 19};
  tk::Label lblDigitalToggle      {*this, "lblDigitalToggle", "Digital Clock On", {6960, 4560,  855,  615}, 20};
  tk::TextBox txtSeconds          {*this, "txtSeconds",      "0",             {4080, 2880,  390,  285}, 21};
  tk::ListBox lstAlarm            {*this, "lstAlarm",        {"On", "Off"},   {5040, 2520,  495,  450}, 22};
  tk::TextBox txtMinutes          {*this, "txtMinutes",      "0",             {4560, 1800,  390,  285}, 23};
  tk::Label lblAlarmMinutes       {*this, "lblAlarmMinutes", "0",             {4080, 2520,  375,  375}, 24};
  tk::Label lblAlarmSeconds       {*this, "lblAlarmSeconds", "0",             {4560, 2520,  375,  375}, 25};
  tk::Label Label1                {*this, "Label1",          "Minutes Seconds", {4080, 2280, 1455, 255}, 26};
  tk::Label Label2                {*this, "Label2",          "Alarm",         {4200, 2040,  495,  255}, 27};
  tk::ProgressBar ProgressBar     {*this, "ProgressBar",                      { 720, 5880, 6255,  135}, 28, 0, 59};

  // Inside frmLoadSave. The slot buttons show only their circles; their captions do not match
  // the slot numbers, only their places in the frame tell the slots apart.
  tk::OptionButton optLoadSaveOne  {frmLoadSave, "optLoadSaveOne",   "Option5",     {1080, 1200,  255,  255}, 30};
  tk::OptionButton optLoadSaveTwo  {frmLoadSave, "optLoadSaveTwo",   "Option4",     { 480, 1200,  255,  255}, 31};
  tk::OptionButton optLoadSaveFive {frmLoadSave, "optLoadSaveFive",  "Option3",     { 720,  240,  255,  255}, 32};
  tk::OptionButton optLoadSaveThree{frmLoadSave, "optLoadSaveThree", "Option2",     { 120,  720,  255,  255}, 33};
  tk::OptionButton optLoadSaveFour {frmLoadSave, "optLoadSaveFour",  "Option1",     { 240,  240,  255,  255}, 34};
  tk::CommandButton cmdLoad        {frmLoadSave, "cmdLoad",          "Load",        { 360,  480,  735,  255}, 35};
  tk::CommandButton cmdSave        {frmLoadSave, "cmdSave",          "Save",        { 480,  840,  735,  255}, 36};
  tk::CheckBox chkClearSaved       {frmLoadSave, "chkClearSaved",    "Clear Saved", { 120, 1440, 1215,  255}, 37};

  // Inside frmDigital.
  tk::Label lblDigitalClockMinutes{frmDigital, "lblDigitalClockMinutes", "Minutes", { 360, 480,  495, 255}, 18};
  tk::Label lblMinutesName        {frmDigital, "lblMinutesName",         "minutes", { 960, 480, 1335, 255}, 16};
  tk::Label lblDigitalClockSeconds{frmDigital, "lblDigitalClockSeconds", "Seconds", {2640, 480,  495, 375}, 17};
  tk::Label lblSecondsName        {frmDigital, "lblSecondsName",         "seconds", {3240, 480, 1455, 375}, 15};

  // The dial, back to front. The face is placed anew, and the hands' start points moved to the
  // dial centre, when the window loads.
  tk::Shape Clockface   {*this, "Clockface",  tk::ShapeKind::Circle, {1080, 480, 3615, 2535}};
  tk::Line minuteHand   {*this, "minuteHand", {2880, 1800, 2880,  960}, 3};
  tk::Line secondHand   {*this, "secondHand", {3240, 2160, 4440, 2205}, 1};
  tk::Image imgAlarm    {*this, "imgAlarm",   "alarm.gif", {1800, 480, 2280, 2505}};

  tk::Timer Timer1          {*this, "Timer1", 1};           // first tick at once; then every second
  tk::Timer TimerAlarmFlash {*this, "TimerAlarmFlash", 0};  // silent until the alarm gives it an interval
  tk::ColourDialog CommonDialog{*this};

  tk::Menu mnuFile {*this, "mnuFile", "File"};
  tk::Menu mnuExit {mnuFile, "mnuExit", "Exit", "Ctrl+Q"};
  tk::Menu mnuHelp {*this, "mnuHelp", "Help"};
  tk::Menu mnuAbout{mnuHelp, "mnuAbout", "About", "Ctrl+A"};
  // clang-format on

  // The slot buttons by slot number: slotOption(1) is optLoadSaveOne ... slotOption(5) is
  // optLoadSaveFive.
  tk::OptionButton& slotOption(int slot);

 private:
  void describeForAssistiveTechnology();
};

}  // namespace clock_window
