// Offers TLVP's window front end to the prompts and the run dialog step.
#ifndef TLV_POST_WINDOWS_WINDOW_FRONT_END_H_
#define TLV_POST_WINDOWS_WINDOW_FRONT_END_H_

class QApplication;

namespace tlv {

/// The application object the windows need, made on first use and kept to
/// the end of the program.  nullptr when there is nothing to show windows
/// on: no DISPLAY or WAYLAND_DISPLAY, and no QT_QPA_PLATFORM naming a
/// platform that needs none (offscreen, for one), or when the program
/// already has a non-GUI application object.
QApplication* EnsureWindowApplication();

/// Registers the window front end: MakePrompts makes WindowPrompts when it
/// chooses windows (and falls back to the terminal when there is nothing to
/// show them on), and RunDialogStep shows the run dialog as a window when
/// the prompts show windows.
void RegisterWindowFrontEnd();

}  // namespace tlv

#endif  // TLV_POST_WINDOWS_WINDOW_FRONT_END_H_
