#pragma once
// The windows of the two container kinds, a form's client area and a frame, and the picture box.
// A container paints its back colour, then its graphical children in stacking order, into a
// buffer that it copies to the screen at once (no flicker); windowed children are real child
// windows on top. It passes what its child controls report on to the form's window.

#include <windows.h>

#include <memory>
#include <string>
#include <unordered_map>

#include "toolkit/control.h"
#include "toolkit/painting.h"
#include "toolkit/win32/accessibility.h"
#include "toolkit/win32/graphical_painter.h"

namespace tk {
class Form;
class Frame;
class PictureBox;
}  // namespace tk

namespace tk::win32 {

class FormWindow;

class ContainerWindow {
 public:
  ContainerWindow(const Container& container, FormWindow& window, HWND parent);
  virtual ~ContainerWindow();
  ContainerWindow(const ContainerWindow&) = delete;
  ContainerWindow& operator=(const ContainerWindow&) = delete;

  HWND handle() const { return handle_; }
  const Container& container() const { return container_; }

  // Repaints a graphical child after a change: where it was shown and where it shows now.
  void showChange(const Control& child);
  // After the DPI changed: everything is measured and painted anew.
  void rescale();
  // Paints the area (client pixels) on `dc`, as WM_PAINT and WM_PRINTCLIENT do.
  void paint(HDC dc, const RECT& area);

  // The window's object for assistive technology: the container's name and description, its
  // painted children as elements, and on a form's client area its latest announcement last.
  // The caller owns one reference.
  IAccessible* accessibleObject() const;
  // Tells listening readers when what a painted child says has changed since they were last
  // told; nothing when it says the same.
  void notifySpokenChange(const Control& child);
  // Tells them the form's latest announcement (a form's client area only).
  void announce();

 protected:
  virtual void paintBackground(const Canvas& canvas) = 0;
  FormWindow& window() const { return window_; }
  void clientSize(int& width, int& height) const;

 private:
  static LRESULT CALLBACK windowProc(HWND handle, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
  PixelRect shownArea(const Control& child) const;
  void invalidate(const PixelRect& area);
  // The buffer painted into, as large as the window; made anew when the window's size changes.
  void makeBuffer(HDC screen, int width, int height);
  void dropBuffer();

  const Container& container_;
  FormWindow& window_;
  HWND handle_ = nullptr;
  ShownAreas shownAreas_;
  std::unordered_map<const Control*, std::string> spoken_;  // what readers were last told
  HDC bufferDc_ = nullptr;
  HBITMAP bufferBitmap_ = nullptr;
  HGDIOBJ bufferOldBitmap_ = nullptr;
  std::uint32_t* bufferPixels_ = nullptr;
  std::unique_ptr<Gdiplus::Bitmap> bufferImage_;
  SIZE bufferSize_{};
};

// The client area of a form: its back colour and its picture, unscaled at the top left.
class ClientAreaWindow : public ContainerWindow {
 public:
  ClientAreaWindow(const Form& form, FormWindow& window, HWND parent);

 protected:
  void paintBackground(const Canvas& canvas) override;

 private:
  const Form& form_;
};

// A frame: filled with its back colour, an etched border with the caption set into its top edge.
class FrameWindow : public ContainerWindow {
 public:
  FrameWindow(const Frame& frame, FormWindow& window, HWND parent);

 protected:
  void paintBackground(const Canvas& canvas) override;

 private:
  const Frame& frame_;
};

// The window of a picture box: its picture at the top left inside a sunken border.
HWND createPictureBoxWindow(const PictureBox& box, FormWindow& window, HWND parent);

}  // namespace tk::win32
