#include "ime.h"

#include <QEvent>
#include <QObject>
#include <QWidget>

#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <imm.h>
#include <msctf.h>

#include <cwchar>

namespace {

constexpr WORD ChineseSimplified = 0x0804;
// The text service "Microsoft Pinyin" and its profile, as current Windows
// registers them for Chinese (Simplified).
constexpr CLSID PinyinService = {0x81D4E9C9, 0x1D3B, 0x41BC, {0x9E, 0x6C, 0x4B, 0x40, 0xBF, 0x79, 0xE3, 0x5E}};
constexpr GUID PinyinProfile = {0xFA550B04, 0x5AD7, 0x411F, {0xA5, 0xAC, 0xCA, 0x03, 0x8E, 0xC5, 0x15, 0xD7}};

bool EastAsianInput() {
  return GetSystemMetrics(SM_IMMENABLED) != 0 || GetSystemMetrics(SM_DBCSENABLED) != 0;
}

// The installed layout of the pinyin input method: an old-style input
// method whose name says pinyin, else the Chinese (Simplified) keyboard
// layout, whose text service on current Windows is Microsoft Pinyin.
HKL PinyinLayout() {
  HKL layouts[64];
  const int count = GetKeyboardLayoutList(64, layouts);
  HKL chinese = nullptr;
  for (int i = 0; i < count; ++i) {
    if (LOWORD(reinterpret_cast<UINT_PTR>(layouts[i])) != ChineseSimplified)
      continue;
    if (ImmIsIME(layouts[i])) {
      wchar_t name[128] = {};
      ImmGetDescriptionW(layouts[i], name, 127);
      if (std::wcsstr(name, L"拼音"))
        return layouts[i];
    } else if (!chinese) {
      chinese = layouts[i];
    }
  }
  return chinese;
}

HKL DefaultLayout() {
  HKL layout = nullptr;
  SystemParametersInfoW(SPI_GETDEFAULTINPUTLANG, 0, &layout, 0);
  return layout;
}

// Current Windows keeps several text services per language: ask for
// Microsoft Pinyin among them, when it is there and enabled.
void ActivatePinyinService() {
  ITfInputProcessorProfiles *profiles = nullptr;
  if (FAILED(CoCreateInstance(CLSID_TF_InputProcessorProfiles, nullptr, CLSCTX_INPROC_SERVER,
                              IID_ITfInputProcessorProfiles, reinterpret_cast<void **>(&profiles))))
    return;
  BOOL enabled = FALSE;
  if (SUCCEEDED(profiles->IsEnabledLanguageProfile(PinyinService, ChineseSimplified, PinyinProfile, &enabled)) &&
      enabled)
    profiles->ActivateLanguageProfile(PinyinService, ChineseSimplified, PinyinProfile);
  profiles->Release();
}

// One filter for every box: switches on focus in, restores on focus out.
class TPinyinSwitch : public QObject {
public:
  bool eventFilter(QObject *, QEvent *event) override {
    if (event->type() == QEvent::FocusIn)
      SwitchOn();
    else if (event->type() == QEvent::FocusOut)
      Restore();
    return false;
  }

private:
  void SwitchOn() {
    if (!EastAsianInput())
      return;
    const HKL pinyin = PinyinLayout();
    const HKL standard = DefaultLayout();
    if (!pinyin || pinyin == standard)
      return;
    // Where the system names no default, the layout in use stands for it.
    FRestore = standard ? standard : GetKeyboardLayout(0);
    if (ActivateKeyboardLayout(pinyin, 0))
      ActivatePinyinService();
  }

  void Restore() {
    if (FRestore)
      ActivateKeyboardLayout(FRestore, 0);
    FRestore = nullptr;
  }

  HKL FRestore = nullptr;
};

} // namespace

void UsePinyinInputMethod(QWidget *box) {
  static TPinyinSwitch pinyinSwitch;
  box->installEventFilter(&pinyinSwitch);
}
