#pragma once
// What the about box's version label and link labels do, as plain functions until those
// labels exist as components: the text of an entry of an executable's version resource,
// and a link's target opened through the shell.
#include "classlib/object.h"

// The link's target: Prefix ("mailto:", "https://") before Value, unless Value already
// begins with it (without regard to case), so that it is never doubled.
String LinkTarget(const String& Prefix, const String& Value);

#ifdef _WIN32
// The value of a string entry ("FileVersion") of the file's version resource, in the
// resource's first language. When there is none, the reason in angle brackets:
// "< No Data Available >" (no version resource), "< Error retrieving translation info >",
// "< Error retrieving version info >" (no such entry), "< No Version Info >" (shorter than
// two characters).
String FileVersionInfo(const String& FileName, const String& Key);
// "Версия: " and the running executable's FileVersion: the about box's version text.
String ProgramVersionText();
// Opens the target with the shell's "open" verb (a new mail for "mailto:", the browser
// for "https://"); false when the shell could not.
bool OpenLink(const String& Target);
#endif
