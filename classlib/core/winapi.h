#pragma once
// The one way our code includes windows.h. Win32 calls are made by their W names
// (DeleteFileW, CreateFileW); the generic macros that collide with the class library's own
// names are undefined here.
#ifndef _WIN32
#error "winapi.h is for the Windows build only"
#endif
#include <windows.h>

#undef DeleteFile
#undef CopyFile
#undef MoveFile
#undef GetObject
#undef FindText
#undef GetCurrentTime
#undef LoadBitmap
#undef LoadIcon
#undef LoadCursor
#undef DrawText
#undef CreateWindow
#undef GetUserName
#undef GetComputerName
#undef GetClassName
#undef GetWindowsDirectory
#undef GetSystemDirectory
#undef MessageBox
#undef PlaySound
#undef Beep
#undef FindWindow
#undef SendMessage
#undef PostMessage
#undef RegisterClass
#undef UnregisterClass
#undef GetFileAttributes
#undef SetFileAttributes
#undef CreateDirectory
#undef RemoveDirectory
#undef GetTempPath
#undef ExitWindows
#undef StartDoc
#undef GetMessage
#undef DispatchMessage
#undef PeekMessage
#undef SetWindowText
#undef GetWindowText
#undef TextOut
#undef Polygon
#undef Rectangle
#undef Ellipse
#undef FillRect
#undef FrameRect
#undef CreateFont
#undef CreatePen
#undef CreateBitmap
#undef LoadString
#undef FormatMessage
#undef LoadResource
#undef FindResource
#undef CreateEvent
#undef CreateMutex
#undef OpenMutex
#undef GetModuleFileName
#undef GetModuleHandle
#undef SetCurrentDirectory
#undef GetCurrentDirectory
#undef FindFirstFile
#undef FindNextFile
#undef GetVersionEx
#undef SystemParametersInfo
#undef ShellExecute
#undef ExtractIcon
#undef DragQueryFile
#undef CharUpper
#undef CharLower
#undef CompareString
#undef Yield
#undef GetEnvironmentVariable

// The text of a system error code (FormatMessageW), without the trailing line break.
#include <string>
std::string SysErrorMessage(DWORD code);
