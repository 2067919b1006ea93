// The media device under Windows: MCI through the structure form of mciSendCommandW, with
// MM_MCINOTIFY received by a utility window.
#include <memory>
#include <string>

#include "classlib/core/mplayer.h"
#include "classlib/core/unicode.h"
#include "classlib/core/utilwindow.h"
#include "classlib/core/winapi.h"

#include <mmsystem.h>

namespace {

const wchar_t* const kDeviceTypeNames[] = {L"AVIVideo", L"CDAudio",  L"DAT",   L"DigitalVideo",
                                           L"MMMovie",  L"Other",    L"Overlay", L"Scanner",
                                           L"Sequencer", L"VCR",     L"Videodisc", L"WaveAudio"};

String MciErrorText(MCIERROR code) {
  wchar_t text[256];
  if (mciGetErrorStringW(code, text, 256)) return WideToUtf8(text);
  return "MCI error " + std::to_string(code);
}

class TMciDevice : public TMediaDevice {
 public:
  ~TMciDevice() override {
    if (FID) mciSendCommandW(FID, MCI_CLOSE, MCI_WAIT, 0);
  }

  void Open(const String& FileName, TMPDeviceTypes DeviceType, bool Shareable, TMediaCommand How) override {
    std::wstring path = Utf8ToWide(FileName);
    MCI_OPEN_PARMSW parms{};
    DWORD flags = Flags(How, parms.dwCallback) | MCI_OPEN_ELEMENT;
    if (DeviceType != dtAutoSelect) {
      parms.lpstrDeviceType = kDeviceTypeNames[DeviceType];
      flags |= MCI_OPEN_TYPE;
    }
    if (Shareable) flags |= MCI_OPEN_SHAREABLE;
    parms.lpstrElementName = path.c_str();
    MCIERROR error = mciSendCommandW(0, MCI_OPEN, flags, reinterpret_cast<DWORD_PTR>(&parms));
    if (error) {
      // Some MCI drivers pass the name through the ANSI code page, which loses letters it
      // lacks; the short form of the path has none of those.
      std::wstring shortPath = ShortPath(path);
      if (!shortPath.empty() && shortPath != path) {
        parms.lpstrElementName = shortPath.c_str();
        if (!mciSendCommandW(0, MCI_OPEN, flags, reinterpret_cast<DWORD_PTR>(&parms))) error = 0;
      }
    }
    Check(error);
    FID = parms.wDeviceID;
  }

  void Close(TMediaCommand How) override {
    if (!FID) return;
    MCI_GENERIC_PARMS parms{};
    DWORD flags = Flags(How, parms.dwCallback);
    MCIDEVICEID id = FID;
    FID = 0;
    Check(mciSendCommandW(id, MCI_CLOSE, flags, reinterpret_cast<DWORD_PTR>(&parms)));
  }

  bool IsOpen() const override { return FID != 0; }

  void Play(TMediaCommand How) override {
    MCI_PLAY_PARMS parms{};
    DWORD flags = Flags(How, parms.dwCallback);
    Check(mciSendCommandW(FID, MCI_PLAY, flags, reinterpret_cast<DWORD_PTR>(&parms)));
  }

  void Pause(TMediaCommand How) override { Generic(MCI_PAUSE, How); }
  void Resume(TMediaCommand How) override { Generic(MCI_RESUME, How); }
  void Stop(TMediaCommand How) override { Generic(MCI_STOP, How); }

  void Seek(std::int64_t To, TMediaCommand How) override {
    MCI_SEEK_PARMS parms{};
    DWORD flags = Flags(How, parms.dwCallback) | MCI_TO;
    parms.dwTo = static_cast<DWORD>(To);
    Check(mciSendCommandW(FID, MCI_SEEK, flags, reinterpret_cast<DWORD_PTR>(&parms)));
  }

  void SetTimeFormat(TMPTimeFormats Format) override {
    MCI_SET_PARMS parms{};
    parms.dwTimeFormat = static_cast<DWORD>(Format);
    Check(mciSendCommandW(FID, MCI_SET, MCI_WAIT | MCI_SET_TIME_FORMAT, reinterpret_cast<DWORD_PTR>(&parms)));
  }

  std::int64_t Position() override { return static_cast<std::int64_t>(Status(MCI_STATUS_POSITION)); }
  std::int64_t Length() override { return static_cast<std::int64_t>(Status(MCI_STATUS_LENGTH)); }

  TMPModes Mode() override {
    DWORD_PTR mode = Status(MCI_STATUS_MODE);
    if (mode < MCI_MODE_NOT_READY || mode > MCI_MODE_OPEN) return mpNotReady;
    return static_cast<TMPModes>(mode - MCI_MODE_NOT_READY);
  }

 private:
  static void Check(MCIERROR error) {
    if (error) throw EMCIDeviceError(MciErrorText(error));
  }

  static std::wstring ShortPath(const std::wstring& path) {
    DWORD n = GetShortPathNameW(path.c_str(), nullptr, 0);
    if (!n) return {};
    std::wstring shortPath(n, L'\0');
    n = GetShortPathNameW(path.c_str(), shortPath.data(), n);
    shortPath.resize(n);
    return shortPath;
  }

  DWORD Flags(TMediaCommand How, DWORD_PTR& Callback) {
    DWORD flags = How.Wait ? MCI_WAIT : 0;
    if (How.Notify) {
      flags |= MCI_NOTIFY;
      Callback = reinterpret_cast<DWORD_PTR>(NotifyWindow());
    }
    return flags;
  }

  void Generic(UINT Command, TMediaCommand How) {
    MCI_GENERIC_PARMS parms{};
    DWORD flags = Flags(How, parms.dwCallback);
    Check(mciSendCommandW(FID, Command, flags, reinterpret_cast<DWORD_PTR>(&parms)));
  }

  DWORD_PTR Status(DWORD Item) {
    if (!FID) return 0;
    MCI_STATUS_PARMS parms{};
    parms.dwItem = Item;
    if (mciSendCommandW(FID, MCI_STATUS, MCI_WAIT | MCI_STATUS_ITEM, reinterpret_cast<DWORD_PTR>(&parms))) return 0;
    return parms.dwReturn;
  }

  HWND NotifyWindow() {
    if (!FWindow) {
      FWindow = std::make_unique<TUtilityWindow>([this](UINT Msg, WPARAM WParam, LPARAM, LRESULT& Result) {
        if (Msg != MM_MCINOTIFY) return false;
        Result = 0;
        TMPNotifyValues value = WParam & MCI_NOTIFY_SUCCESSFUL  ? nvSuccessful
                                : WParam & MCI_NOTIFY_SUPERSEDED ? nvSuperseded
                                : WParam & MCI_NOTIFY_ABORTED    ? nvAborted
                                                                 : nvFailure;
        if (OnNotify) OnNotify(value);
        return true;
      });
    }
    return FWindow->Handle();
  }

  MCIDEVICEID FID = 0;
  std::unique_ptr<TUtilityWindow> FWindow;
};

}  // namespace

std::unique_ptr<TMediaDevice> NewSystemMediaDevice() { return std::make_unique<TMciDevice>(); }
