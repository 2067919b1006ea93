#pragma once
// TColor: 0x00BBGGRR for plain colours, 0x80000000 + the system colour index for system
// colours, and the two special values clNone and clDefault. Published TColor properties
// stream as these names where a value has one.
#include <cstdint>

#include "classlib/core/typinfo.h"

enum TColor : std::int32_t {
  clScrollBar = static_cast<std::int32_t>(0x80000000u),
  clBackground = static_cast<std::int32_t>(0x80000001u),
  clActiveCaption = static_cast<std::int32_t>(0x80000002u),
  clInactiveCaption = static_cast<std::int32_t>(0x80000003u),
  clMenu = static_cast<std::int32_t>(0x80000004u),
  clWindow = static_cast<std::int32_t>(0x80000005u),
  clWindowFrame = static_cast<std::int32_t>(0x80000006u),
  clMenuText = static_cast<std::int32_t>(0x80000007u),
  clWindowText = static_cast<std::int32_t>(0x80000008u),
  clCaptionText = static_cast<std::int32_t>(0x80000009u),
  clActiveBorder = static_cast<std::int32_t>(0x8000000Au),
  clInactiveBorder = static_cast<std::int32_t>(0x8000000Bu),
  clAppWorkSpace = static_cast<std::int32_t>(0x8000000Cu),
  clHighlight = static_cast<std::int32_t>(0x8000000Du),
  clHighlightText = static_cast<std::int32_t>(0x8000000Eu),
  clBtnFace = static_cast<std::int32_t>(0x8000000Fu),
  clBtnShadow = static_cast<std::int32_t>(0x80000010u),
  clGrayText = static_cast<std::int32_t>(0x80000011u),
  clBtnText = static_cast<std::int32_t>(0x80000012u),
  clInactiveCaptionText = static_cast<std::int32_t>(0x80000013u),
  clBtnHighlight = static_cast<std::int32_t>(0x80000014u),
  cl3DDkShadow = static_cast<std::int32_t>(0x80000015u),
  cl3DLight = static_cast<std::int32_t>(0x80000016u),
  clInfoText = static_cast<std::int32_t>(0x80000017u),
  clInfoBk = static_cast<std::int32_t>(0x80000018u),
  clHotLight = static_cast<std::int32_t>(0x8000001Au),
  clGradientActiveCaption = static_cast<std::int32_t>(0x8000001Bu),
  clGradientInactiveCaption = static_cast<std::int32_t>(0x8000001Cu),
  clMenuHighlight = static_cast<std::int32_t>(0x8000001Du),
  clMenuBar = static_cast<std::int32_t>(0x8000001Eu),

  clBlack = 0x000000,
  clMaroon = 0x000080,
  clGreen = 0x008000,
  clOlive = 0x008080,
  clNavy = 0x800000,
  clPurple = 0x800080,
  clTeal = 0x808000,
  clGray = 0x808080,
  clSilver = 0xC0C0C0,
  clRed = 0x0000FF,
  clLime = 0x00FF00,
  clYellow = 0x00FFFF,
  clBlue = 0xFF0000,
  clFuchsia = 0xFF00FF,
  clAqua = 0xFFFF00,
  clLtGray = 0xC0C0C0,
  clDkGray = 0x808080,
  clWhite = 0xFFFFFF,
  clMoneyGreen = 0xC0DCC0,
  clSkyBlue = 0xF0CAA6,
  clCream = 0xF0FBFF,
  clMedGray = 0xA4A0A0,

  clNone = 0x1FFFFFFF,
  clDefault = 0x20000000,
};

// The colour names for streaming ("clBtnFace"); a value without a name streams as a number.
const TIdentMap& HxIdentMap(TColor);

bool ColorToIdent(TColor Color, String& Ident);
bool IdentToColor(const String& Ident, TColor& Color);
