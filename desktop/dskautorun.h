#pragma once
// TAutoRun: registers the running executable for automatic start, as a string value named
// Title in one of the start-up keys (Key) under HKEY_LOCAL_MACHINE, and removes it again.
// A standard user cannot write there: the current user's key of the same name takes the
// value then, and deletes try both. No setter raises (Registered() tells whether the value
// stands), an empty Title touches nothing (that would be the key's default value), and a
// path with a blank is written in quotes. The entry stays when the component goes while
// Active: it is there to start the program next time. Windows only.
#include "classlib/core/component.h"
#include "classlib/core/seam.h"
#include "desktop/dskexecutable.h"

struct HKEY__;
typedef HKEY__* HKEY;  // as windows.h declares it

HX_ENUM(TKeyReg, RUN, RUNSERVICES, RUNONCE);

// The registry as the component reaches it; tests derive from it and install theirs
// (TSeamScope).
class TAutoRunSystem {
 public:
  virtual ~TAutoRunSystem() = default;
  // Opens Key under Root without creating it and writes the string; false when it cannot.
  virtual bool Write(HKEY Root, const String& Key, const String& Name, const String& Data);
  // Deletes the value when the key and the value are there.
  virtual void Delete(HKEY Root, const String& Key, const String& Name);
  static TAutoRunSystem& System();
};

class TAutoRun : public TComponent {
  HX_CLASS(TAutoRun, TComponent)
 public:
  explicit TAutoRun(TComponent* AOwner);
  ~TAutoRun() override;

  // True writes the value (again, also when it was True); False deletes it from all three
  // keys.
  bool GetActive() const { return FActive; }
  void SetActive(bool Value);
  // A change while Active moves the value.
  TKeyReg GetKey() const { return FKey; }
  void SetKey(TKeyReg Value);
  const String& GetTitle() const { return FTitle; }
  void SetTitle(const String& Value);
  // The value stands (written by this component, and not deleted since).
  bool Registered() const { return FRegistered; }

  // The key's path under the root.
  static String KeyPath(TKeyReg Key);
  // What the value holds: the path, quoted when it has a blank.
  static String CommandLine(const String& ExePath);

 protected:
  void Loaded() override;

 private:
  void Write();
  void DeleteAll();

  TKeyReg FKey = RUN;
  bool FActive = false;
  String FTitle = "My program";
  bool FRegistered = false;
};
