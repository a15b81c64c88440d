// The numbers the dialog framework shares with its users, with their Windows values: command and
// answer ids, message-box styles, notifications, show and position flags, system-menu commands and
// menu flags. Stands in for the constants of WinUser.h and CommCtrl.h that dialog code uses.
#pragma once

#include "platform/resources/dialog_template.hpp"

#include <cstdint>

namespace platform::ui {

// Window and control styles are those of the template format.
using namespace platform::resources::styles;

// Command ids of the standard buttons, also the answers of a message box.
inline constexpr int IDC_STATIC = -1;
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDABORT = 3;
inline constexpr int IDRETRY = 4;
inline constexpr int IDIGNORE = 5;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;
inline constexpr int IDTRYAGAIN = 10;
inline constexpr int IDCONTINUE = 11;

// Message-box styles: buttons, icon, default button, options.
inline constexpr unsigned MB_OK = 0x0;
inline constexpr unsigned MB_OKCANCEL = 0x1;
inline constexpr unsigned MB_ABORTRETRYIGNORE = 0x2;
inline constexpr unsigned MB_YESNOCANCEL = 0x3;
inline constexpr unsigned MB_YESNO = 0x4;
inline constexpr unsigned MB_RETRYCANCEL = 0x5;
inline constexpr unsigned MB_CANCELTRYCONTINUE = 0x6;
inline constexpr unsigned MB_TYPEMASK = 0xF;
inline constexpr unsigned MB_ICONERROR = 0x10;
inline constexpr unsigned MB_ICONHAND = MB_ICONERROR;
inline constexpr unsigned MB_ICONSTOP = MB_ICONERROR;
inline constexpr unsigned MB_ICONQUESTION = 0x20;
inline constexpr unsigned MB_ICONWARNING = 0x30;
inline constexpr unsigned MB_ICONEXCLAMATION = MB_ICONWARNING;
inline constexpr unsigned MB_ICONINFORMATION = 0x40;
inline constexpr unsigned MB_ICONASTERISK = MB_ICONINFORMATION;
inline constexpr unsigned MB_ICONMASK = 0xF0;
inline constexpr unsigned MB_DEFBUTTON1 = 0x000;
inline constexpr unsigned MB_DEFBUTTON2 = 0x100;
inline constexpr unsigned MB_DEFBUTTON3 = 0x200;
inline constexpr unsigned MB_DEFMASK = 0xF00;
inline constexpr unsigned MB_APPLMODAL = 0x0000;
inline constexpr unsigned MB_TASKMODAL = 0x2000;
inline constexpr unsigned MB_SETFOREGROUND = 0x10000;
inline constexpr unsigned MB_TOPMOST = 0x40000;
inline constexpr unsigned MB_RIGHT = 0x80000;
inline constexpr unsigned MB_RTLREADING = 0x100000;

// Notifications a control sends to its dialog.
inline constexpr unsigned BN_CLICKED = 0;
inline constexpr unsigned CBN_SELCHANGE = 1;
inline constexpr unsigned EN_CHANGE = 0x300;

// Check states.
inline constexpr int BST_UNCHECKED = 0;
inline constexpr int BST_CHECKED = 1;
inline constexpr int BST_INDETERMINATE = 2;

// ShowWindow.
inline constexpr int SW_HIDE = 0;
inline constexpr int SW_SHOWNORMAL = 1;
inline constexpr int SW_SHOWMINIMIZED = 2;
inline constexpr int SW_SHOWNOACTIVATE = 4;
inline constexpr int SW_SHOW = 5;
inline constexpr int SW_MINIMIZE = 6;
inline constexpr int SW_SHOWNA = 8;
inline constexpr int SW_RESTORE = 9;

// SetWindowPos.
inline constexpr unsigned SWP_NOSIZE = 0x0001;
inline constexpr unsigned SWP_NOMOVE = 0x0002;
inline constexpr unsigned SWP_NOZORDER = 0x0004;
inline constexpr unsigned SWP_NOREDRAW = 0x0008;
inline constexpr unsigned SWP_NOACTIVATE = 0x0010;
inline constexpr unsigned SWP_SHOWWINDOW = 0x0040;
inline constexpr unsigned SWP_HIDEWINDOW = 0x0080;

// System-menu commands.
inline constexpr unsigned SC_SIZE = 0xF000;
inline constexpr unsigned SC_MOVE = 0xF010;
inline constexpr unsigned SC_MINIMIZE = 0xF020;
inline constexpr unsigned SC_MAXIMIZE = 0xF030;
inline constexpr unsigned SC_CLOSE = 0xF060;
inline constexpr unsigned SC_RESTORE = 0xF120;

// Menu item flags.
inline constexpr unsigned MF_STRING = 0x0000;
inline constexpr unsigned MF_ENABLED = 0x0000;
inline constexpr unsigned MF_BYCOMMAND = 0x0000;
inline constexpr unsigned MF_GRAYED = 0x0001;
inline constexpr unsigned MF_DISABLED = 0x0002;
inline constexpr unsigned MF_CHECKED = 0x0008;
inline constexpr unsigned MF_BYPOSITION = 0x0400;
inline constexpr unsigned MF_SEPARATOR = 0x0800;

// Combo boxes and image lists.
inline constexpr int CB_ERR = -1;
inline constexpr unsigned ILC_COLOR24 = 0x0018;
inline constexpr unsigned ILC_COLOR32 = 0x0020;

}  // namespace platform::ui
