#pragma once
// Two labels of an about box: TDskVersionLabel shows one entry of the running program's
// version resource behind a prefix, and TDskCommandLabel is a link that opens a mail, web
// page, FTP site or file through the shell (or fires an event) when clicked. The texts and
// targets are portable; the labels are Windows only.
#include <cstdint>

#include "classlib/core/object.h"
#include "classlib/core/typinfo.h"

HX_ENUM(TDskVersionRes, verCompanyName, verFileDescription, verFileVersion, verInternalName, verLegalCopyright,
        verOriginalFilename, verProductName, verProductVersion, verComments, verFlags);
HX_ENUM(TDskCommand, runNothing, runMAIL, runURL, runFTP, runFILE, runEVENT);

// The version resource's key of an entry ("FileVersion") and the prefix shown before it
// ("File Version:").
String DskVersionResKey(TDskVersionRes Res);
String DskVersionResPrefix(TDskVersionRes Res);
// The names of the set bits of a version resource's file flags ("Debug Build, Private
// Build"); "" when none is set.
String DskFileFlagsText(std::uint32_t Flags);
// The language and code page of a version resource's translation as the string table's
// name ("041904E3").
String DskLangCharset(std::uint16_t Language, std::uint16_t CodePage);

// The prefix of a command ("mailto:", "http://", "ftp://", "file:"; "" for runNothing and
// runEVENT).
String DskCommandPrefix(TDskCommand Command);
// What the shell opens: the command's prefix before Value, unless Value begins with a
// scheme of its own (two or more letters and a colon, as "https:" or "mailto:"), so that
// no scheme is ever doubled; a drive letter ("C:") is no scheme.
String DskCommandTarget(TDskCommand Command, const String& Value);

#ifdef _WIN32
#include "classlib/core/seam.h"
#include "classlib/windows/stdctrls.h"

// What the labels ask of the system; tests install their own (TSeamScope).
class TDskLabelSystem {
 public:
  virtual ~TDskLabelSystem() = default;
  // The program whose version resource the version labels show: the running one.
  virtual String ExecutableName();
  // The shell's "open" on Target, shown normally; false when it could not.
  virtual bool Open(const String& Target);
  static TDskLabelSystem& System();
};

// The text of a version resource's entry, or the reason in angle brackets:
// "< No Data Available >" (no version resource), "< Error retrieving version info >",
// "< Error retrieving translation info >", "< No Version Info >" (an empty value).
// LangCharset "-1" is replaced by the resource's first translation.
String DskVersionInfoText(const String& FileName, TDskVersionRes Res, const String& Key, String& LangCharset);

// "<prefix> <entry>" of the running program's version resource; a label of no word wrap
// that sizes itself. Setting VersionRes sets the key and the prefix of that entry, setting
// VersionResKey makes the key the prefix; a prefix read from a form stays whatever the
// order the properties were read in.
class TDskVersionLabel : public TLabel {
  HX_CLASS(TDskVersionLabel, TLabel)
 public:
  explicit TDskVersionLabel(TComponent* AOwner);

  TDskVersionRes GetVersionRes() const { return FVersionRes; }
  void SetVersionRes(TDskVersionRes Value);
  const String& GetVersionResKey() const { return FVersionResKey; }
  void SetVersionResKey(const String& Value);
  const String& GetInfoPrefix() const { return FInfoPrefix; }
  void SetInfoPrefix(const String& Value);
  bool GetShowInfoPrefix() const { return FShowInfoPrefix; }
  void SetShowInfoPrefix(bool Value);
  // "-1": the resource's first translation, kept once read.
  const String& GetLangCharset() const { return FLangCharset; }
  void SetLangCharset(const String& Value);
  String About = "Shows an entry of the program's version resource.";

  // Reads the entry again and shows it.
  void RefreshCaption();

 protected:
  void Loaded() override;

 private:
  bool IsVersionResKeyStored() const { return FVersionResKey != DskVersionResKey(FVersionRes); }
  bool IsInfoPrefixStored() const { return FInfoPrefix != DskVersionResPrefix(FVersionRes); }
  void SetPrefixOfEntry(const String& Value);

  TDskVersionRes FVersionRes = verFileVersion;
  String FVersionResKey = "FileVersion";
  String FInfoPrefix = "File Version:";
  bool FShowInfoPrefix = true;
  String FLangCharset = "-1";
  bool FPrefixRead = false;  // InfoPrefix came from the form being read
};

// A link: underlined blue text that turns MoveOverColor under the pointer while its form is
// active and FollowedColor once clicked. A left press opens the target (DskCommandTarget
// of Command and CaptionValue) with the shell, saying so when that fails, or fires
// OnCommand for runEVENT.
class TDskCommandLabel : public TLabel {
  HX_CLASS(TDskCommandLabel, TLabel)
 public:
  explicit TDskCommandLabel(TComponent* AOwner);

  TDskCommand Command = runURL;
  String CaptionValue;
  TColor FollowedColor = clPurple;
  TColor MoveOverColor = clRed;
  String About = "Opens a mail, web page, FTP site or file when clicked.";
  bool Followed() const { return FFollowed; }

  TNotifyEvent OnCommand;

 protected:
  void Loaded() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseEnter() override;
  void MouseLeave() override;
  bool WantsMouseLeave() const override { return true; }  // its look follows the mouse

 private:
  TColor FNormalColor = clBlue;
  bool FFollowed = false;
  bool FPressed = false;
};
#endif
