#include "classlib/core/colors.h"

const TIdentMap& HxIdentMap(TColor) {
  static const TIdentMap map = {
      {clBlack, "clBlack"},
      {clMaroon, "clMaroon"},
      {clGreen, "clGreen"},
      {clOlive, "clOlive"},
      {clNavy, "clNavy"},
      {clPurple, "clPurple"},
      {clTeal, "clTeal"},
      {clGray, "clGray"},
      {clSilver, "clSilver"},
      {clRed, "clRed"},
      {clLime, "clLime"},
      {clYellow, "clYellow"},
      {clBlue, "clBlue"},
      {clFuchsia, "clFuchsia"},
      {clAqua, "clAqua"},
      {clWhite, "clWhite"},
      {clMoneyGreen, "clMoneyGreen"},
      {clSkyBlue, "clSkyBlue"},
      {clCream, "clCream"},
      {clMedGray, "clMedGray"},
      {clActiveBorder, "clActiveBorder"},
      {clActiveCaption, "clActiveCaption"},
      {clAppWorkSpace, "clAppWorkSpace"},
      {clBackground, "clBackground"},
      {clBtnFace, "clBtnFace"},
      {clBtnHighlight, "clBtnHighlight"},
      {clBtnShadow, "clBtnShadow"},
      {clBtnText, "clBtnText"},
      {clCaptionText, "clCaptionText"},
      {clDefault, "clDefault"},
      {clGradientActiveCaption, "clGradientActiveCaption"},
      {clGradientInactiveCaption, "clGradientInactiveCaption"},
      {clGrayText, "clGrayText"},
      {clHighlight, "clHighlight"},
      {clHighlightText, "clHighlightText"},
      {clHotLight, "clHotLight"},
      {clInactiveBorder, "clInactiveBorder"},
      {clInactiveCaption, "clInactiveCaption"},
      {clInactiveCaptionText, "clInactiveCaptionText"},
      {clInfoBk, "clInfoBk"},
      {clInfoText, "clInfoText"},
      {clMenu, "clMenu"},
      {clMenuBar, "clMenuBar"},
      {clMenuHighlight, "clMenuHighlight"},
      {clMenuText, "clMenuText"},
      {clNone, "clNone"},
      {clScrollBar, "clScrollBar"},
      {cl3DDkShadow, "cl3DDkShadow"},
      {cl3DLight, "cl3DLight"},
      {clWindow, "clWindow"},
      {clWindowFrame, "clWindowFrame"},
      {clWindowText, "clWindowText"},
      {clLtGray, "clLtGray"},
      {clDkGray, "clDkGray"},
  };
  return map;
}

bool ColorToIdent(TColor Color, String& Ident) { return HxIdentMap(Color).IntToIdent(Color, Ident); }

bool IdentToColor(const String& Ident, TColor& Color) {
  std::int64_t value;
  if (!HxIdentMap(TColor{}).IdentToInt(Ident, value)) return false;
  Color = static_cast<TColor>(value);
  return true;
}
