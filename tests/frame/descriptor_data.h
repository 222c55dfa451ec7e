// The host interface as published to script authors, transcribed independently of
// src/frame/exports.table: every descriptor with its ordinal, letters, size and help text, and
// the function list in its order.
#pragma once

#include <stddef.h>

#include <string>
#include <vector>

struct ExpectedDescriptor {
    const char *resource;
    const char *name;
    int ordinal;
    char result;
    const char *arguments;
    size_t size;
    const char *prototype;
    std::vector<const char *> body;   // the lines after the prototype line and the empty line
    bool endsWithCrLf;
};

static const ExpectedDescriptor kDescriptors[] = {
    {"ACTIVATEWINDOW", "ActivateWindow", 22, 'I', "W", 83, "Result := ActivateWindow( WndHandle)",
     {"Returns 1 if successful, otherwise 0."}, false},
    {"ACTIVEWINDOW", "ActiveWindow", 24, 'W', "V", 74, "Result := ActiveWindow()",
     {"Returns the handle of the active window."}, false},
    {"ADDSYSITEMS", "AddSysItems", 18, 'V', "IIIW", 184, "AddSysItems( SystemMenu, MinimizeBox, MaximizeBox, WindowHandle )",
     {"Adds system items to the specified window",
      "SystemMenu, MinimizeBox and MaximizeBox can be true or false."}, true},
    {"COPYFROMCLIPBOARD", "CopyFromClipboard", 15, 'S', "V", 87, "ClipText := CopyFromClipboard()",
     {"Returns the text contained in the clipboard."}, true},
    {"COPYTOCLIPBOARD", "CopyToClipboard", 16, 'I', "S", 78, "OK := CopyToClipboard( ClipText )",
     {"Copies ClipText to the clipboard."}, true},
    {"DISABLEDISKERRORS", "DisableDiskErrors", 37, 'V', "I", 97, "DisableDiskErrors( On )",
     {"Enables of disables the Windows 'drive not ready' error message."}, false},
    {"DISABLEKEYS", "DisableKeys", 28, 'I', "V", 140, "Result := DisableKeys()",
     {"Disables key presses on the app window.",
      "Make sure that you call RestoreKeys before your application quits."}, false},
    {"DISABLEMOUSE", "DisableMouse", 30, 'I', "V", 143, "Result := DisableMouse()",
     {"Disables mouse clicks on the app window.",
      "Make sure that you call RestoreMouse before your application quits."}, false},
    {"DOESFILEEXIST", "DoesFileExist", 34, 'I', "S", 83, "Result := DoesFileExist( FileName )",
     {"Returns 1 if file exists, otherwise 0."}, false},
    {"DOSVERSION", "DosVersion", 45, 'S', "V", 64, "Result := DosVersion()",
     {"Returns the current Dos version."}, false},
    {"FILEVERSION", "FileVersion", 33, 'S', "S", 85, "Result := FileVersion( FileName )",
     {"Returns the version of the specified file."}, false},
    {"FINDDRIVE", "FindDrive", 36, 'S', "SS", 171, "Result := FindDrive( StartDrive, FileName )",
     {"Searches all drives for the specified file.",
      "FileName can include path information.",
      "Returns the letter of the drive."}, false},
    {"FONTINSTALLED", "FontInstalled", 35, 'I', "SS", 97, "Result := FontInstalled( FontName, Style )",
     {"Returns 1 if font is installed, otherwise 0."}, false},
    {"FREECURSOR", "FreeCursor", 9, 'V', "V", 112, "FreeCursor()",
     {"Allows the cursor to move anywhere on the screen.",
      "Reverses the RestrictCursor() function."}, false},
    {"GETDRIVETYPE", "GetDriveType", 39, 'S', "S", 137, "Result := GetDriveType( DriveLetter )",
     {"Returns the type of drive.",
      "Will be one of Hard, CD-ROM, Network, Removable, RAM, Invalid."}, false},
    {"GETSYSTEMDIR", "GetSystemDir", 48, 'S', "V", 79, "Result := GetSystemDir()",
     {"Returns the current Windows system directory."}, false},
    {"GETWINDOWHANDLE", "GetWindowHandle", 26, 'W', "SS", 145, "Result := FindAppWindow( Class, Caption )",
     {"Searches for the specified window and returns it's handle.",
      "Returns 0 if window is not found."}, false},
    {"GETWINDOWSDIR", "GetWindowsDir", 49, 'S', "V", 73, "Result := GetWindowsDir()",
     {"Returns the current Windows directory."}, false},
    {"GETWINDOWSTATE", "GetWindowState", 7, 'I', "W", 203, "State := GetWindowState( WindowHandle )",
     {"Returns the state of the specified window.",
      "Can return:",
      "0 - window doesn't exist",
      "1 - window is normal",
      "2 - window is iconized",
      "3 - window is maximized"}, true},
    {"ISWINNT", "IsWinNT", 47, 'I', "V", 80, "Result := IsWinNT()",
     {"Returns 1 if running under Windows NT, otherwise 0."}, false},
    {"KILLWINDOW", "KillWindow", 21, 'I', "W", 109, "Result := KillWindow( WndHandle)",
     {"closes the specified window.",
      "Returns 1 if successful, otherwise 0."}, false},
    {"MSGBOX", "MsgBox", 50, 'S', "SSSSI", 485, "Result := MsgBox( Message , Caption , Buttons , Icon , DefButton )",
     {"Displays a standard Windows message box.",
      "Message: the message to display.",
      "Caption: the text for the Window caption.",
      "Buttons: the buttons to display - can be \"OK\", \"OKCancel\", \"YesNo\", \"YesNoCancel\", \"AbortRetryIgnore\".",
      "Icon: the type of icon to display - can be \"Stop\", \"Exclamation\", \"Question\", \"Information\".",
      "DefButton: the default button - can be 0,1,2.",
      "Returns the name of the button clicked."}, true},
    {"OPENFILE", "OpenFile", 11, 'I', "SS", 175, "OK := OpenFile( FileName , State )",
     {"Opens the specified file using it's associated program.",
      "Returns an error code. If return is less than 32 then an error occured."}, true},
    {"OPENURL", "OpenURL", 4, 'I', "SS", 132, "OK := OpenURL( URL , State )",
     {"Opens an internet document, using the default browser.",
      "Returns 1 if successful, otherwise 0."}, false},
    {"PLACECURSOR", "PlaceCursor", 8, 'V', "II", 163, "PlaceCursor( X , Y )",
     {"Positions the cursor.",
      "X and Y are the horizontal and vertical positions in pixels, measured from the top left corner of the screen."}, false},
    {"PRINTFILE", "PrintFile", 12, 'I', "S", 168, "OK := PrintFile( FileName )",
     {"Prints the specified file using it's associated program.",
      "Returns an error code. If return is less than 32 then an error occured."}, true},
    {"QIMAPIABOUT", "QimAPIAbout", 52, 'V', "V", 59, "QimAPIAbout()",
     {"Shows information about Qimmo API."}, true},
    {"QIMAPIVERSION", "QimAPIVersion", 51, 'I', "V", 68, "Result := QimAPIVersion()",
     {"Returns the version of Qimmo API."}, false},
    {"QTVERSION", "QtVersion", 5, 'S', "V", 137, "Version := QtVersion()",
     {"Returns the version of QuickTime for Windows that is installed.",
      "Returns 0 if QuickTime is not installed."}, false},
    {"READINI", "ReadIni", 44, 'S', "SSSS", 197, "Result := ReadIni(Section, Keyname, Default, IniFile)",
     {"Returns the value of the specified key in the IniFile.",
      "Returns the Default value if the IniFile, Section or Keyname doesn't exist."}, false},
    {"READREG", "ReadReg", 42, 'S', "SSS", 349, "Result := ReadReg( Keyname, Default , Branch )",
     {"Returns the value of the specified key from the Windows Registry.",
      "Under 32bit, Branch can be HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_USERS, HKEY_CURRENT_CONFIG, HKEY_CURRENT_CONFIG.",
      "Under 16bit, Branch is ignored.",
      "Returns the Default value if the key doesn't exist."}, false},
    {"REMOVESYSITEMS", "RemoveSysItems", 17, 'V', "IIIW", 192, "RemoveSysItems( SystemMenu, MinimizeBox, MaximizeBox, WindowHandle )",
     {"Removes system items from the specified window",
      "SystemMenu, MinimizeBox and MaximizeBox can be true or false."}, true},
    {"RESTOREKEYS", "RestoreKeys", 27, 'V', "V", 90, "RestoreKeys()",
     {"Enables key presses after they have been disabled with DisableKeys."}, false},
    {"RESTOREMOUSE", "RestoreMouse", 29, 'V', "V", 93, "RestoreMouse()",
     {"Enables mouse clicks after they have been disabled with DisableMouse."}, false},
    {"RESTRICTCURSOR", "RestrictCursor", 10, 'V', "IIII", 178, "RestrictCursor( left , top , right , bottom )",
     {"Restricts the movement of the cursor to the specified area, measured in pixels from the top left corner of the screen."}, true},
    {"RUNPROGRAM", "RunProgram", 38, 'W', "SSI", 213, "Result := RunProgram( Program, State, Wait )",
     {"Runs an external program. The full path to the program should be used.",
      "State can be one of Normal, Hidden, Maximised, Minimised.",
      "Wait can be true or false."}, false},
    {"SCREENHEIGHT", "ScreenHeight", 19, 'I', "V", 79, "Result := ScreenHeight()",
     {"Returns the height of the screen in pixels."}, true},
    {"SCREENSAVERACTIVE", "ScreenSaverActive", 32, 'I', "I", 146, "Result := ScreenSaverActive( On )",
     {"Enables or disables the screen saver.",
      "Returns 1 if the screen save was previuosly active, otherwise 0."}, false},
    {"SCREENSAVERTIME", "ScreenSaverTime", 31, 'I', "I", 131, "Result := ScreenSaverTime( TimeVal )",
     {"Sets the screen saver time out value in seconds.",
      "Returns the previous time out value"}, false},
    {"SCREENWIDTH", "ScreenWidth", 20, 'I', "V", 77, "Result := ScreenWidth()",
     {"Returns the width of the screen in pixels."}, true},
    {"SENDMSG", "SendMsg", 1, 'L', "WWWL", 111, "Result := SendMsg( Wnd , Msg , wParam , lParam )",
     {"Sends a Windows message to the specified window."}, true},
    {"SETWINDOWSTATE", "SetWindowState", 25, 'V', "WS", 229, "Result := SetWindowState( WinHandle, State )",
     {"Sets the state of the specified window.",
      "State can be one of Hidden, Restored, Normal, Maximised, Minimised, MinNotActive, NotActive, ShowNotActive, StayOnTop, DontStayOnTop."}, false},
    {"SETWINDOWTITLE", "SetWindowTitle", 53, 'V', "WS", 91, "SetWindowTitle( WindowHandle , Title )",
     {"Changes the Title of the specified window."}, false},
    {"SHORTFILENAME", "ShortFileName", 2, 'S', "S", 198, "Result := ShortFileName( FileName )",
     {"Returns the 8.3 DOS name of a Win95 long FileName.",
      "Returns FileName unchanged in 16bit under Win 3.1 or NT.",
      "Returns empty string if file doesn't exist."}, false},
    {"SYSTEMFONTHEIGHT", "SystemFontHeight", 14, 'I', "V", 86, "Height := SystemFontHeight()",
     {"Returns the height of the system font in pixels."}, false},
    {"TEMPFILENAME", "TempFileName", 13, 'S', "S", 106, "FileName := TempFileName( Prefix )",
     {"Returns a temporary file name that is guaranteed not to exist."}, false},
    {"VFWVERSION", "VfwVersion", 6, 'S', "V", 128, "Version := VfwVersion()",
     {"Returns the version of Video for Windows that is installed.",
      "Returns 0 if VFW is not installed."}, false},
    {"WAITTILLACTIVE", "WaitTillActive", 3, 'V', "W", 128, "WaitTillActive( WindowHandle )",
     {"Pauses execution of presentation until the specified window becomes the active window."}, true},
    {"WINDOWSHELP", "WindowsHelp", 40, 'I', "SSS", 93, "Result := WindowsHelp( Cmd, HelpFile, Data )",
     {"Returns 1 if successful, otherwise 0."}, false},
    {"WINDOWSVERSION", "WindowsVersion", 46, 'S', "V", 72, "Result := WindowsVersion()",
     {"Returns the current Windows version."}, false},
    {"WINDOWTOFRONT", "WindowToFront", 23, 'I', "W", 83, "Result := WindowToFront( WndHandle )",
     {"Returns 1 if successful, otherwise 0."}, false},
    {"WRITEINI", "WriteIni", 43, 'I', "SSSS", 165, "Result := WriteIni(Section, Keyname, NewString, IniFile)",
     {"Writes NewString to the specified Keyname in the IniFile.",
      "Returns 1 if successful, otherwise 0."}, false},
    {"WRITEREG", "WriteReg", 41, 'I', "SSS", 329, "Result := WriteReg( Keyname, NewString, Branch )",
     {"Writes the value to the specified key in the Windows Registry.",
      "Under 32bit, Branch can be HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_USERS, HKEY_CURRENT_CONFIG, HKEY_CURRENT_CONFIG.",
      "Under 16bit, Branch is ignored.",
      "Returns 1 if successful, else 0."}, false},
};

static const char *const kFunctionList[] = {
    "SetWindowTitle", "QimAPIAbout", "QimAPIVersion", "ScreenHeight", "ScreenWidth", "DisableKeys",
    "RestoreKeys", "DisableMouse", "RestoreMouse", "FileVersion", "FindDrive", "DoesFileExist",
    "FontInstalled", "WindowsHelp", "KillWindow", "WindowToFront", "ActivateWindow", "ActiveWindow",
    "GetWindowHandle", "GetDriveType", "DisableDiskErrors", "RunProgram", "ScreenSaverActive",
    "ScreenSaverTime", "WriteReg", "ReadReg", "ReadIni", "WriteIni", "IsWinNT", "WindowsVersion",
    "DosVersion", "GetSystemDir", "GetWindowsDir", "SetWindowState", "MsgBox", "AddSysItems",
    "RemoveSysItems", "CopyToClipboard", "CopyFromClipboard", "SystemFontHeight", "TempFileName",
    "PrintFile", "OpenFile", "RestrictCursor", "FreeCursor", "PlaceCursor", "GetWindowState",
    "VfwVersion", "QtVersion", "OpenURL", "WaitTillActive", "ShortFileName", "SendMsg",
};

// The descriptor published under an export's name; nullptr for none.
inline const ExpectedDescriptor *FindExpectedDescriptor(const std::string &name)
{
    for (const ExpectedDescriptor &d : kDescriptors)
        if (name == d.name) return &d;
    return nullptr;
}

// The whole help text: the prototype line, an empty line and the body lines, joined by CR LF.
inline std::string ExpectedHelp(const ExpectedDescriptor &d)
{
    std::string help = std::string(d.prototype) + "\r\n\r\n";
    for (size_t i = 0; i < d.body.size(); ++i) help += std::string(i ? "\r\n" : "") + d.body[i];
    if (d.endsWithCrLf) help += "\r\n";
    return help;
}
