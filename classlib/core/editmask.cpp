#include "classlib/core/editmask.h"

#include <algorithm>

#include "classlib/core/text.h"
#include "classlib/core/unicode.h"

const char* const kInvalidInputValueText = "Invalid input value";

namespace {

bool IsDigit(char32_t C) { return C >= U'0' && C <= U'9'; }

bool IsLetter(char32_t C) {
  if ((C >= U'A' && C <= U'Z') || (C >= U'a' && C <= U'z')) return true;
  if (C >= 0xC0 && C <= 0xFF) return C != 0xD7 && C != 0xF7;  // Latin-1 letters
  return C >= 0x400 && C <= 0x4FF;                             // Cyrillic
}

char32_t ConvertCase(char32_t C, bool Upper) {
  std::string one;
  AppendUtf8(one, C);
  std::u32string converted = Utf8ToUtf32(Upper ? AnsiUpperCase(one) : AnsiLowerCase(one));
  return converted.size() == 1 ? converted[0] : C;
}

}  // namespace

TEditMask::TEditMask(const std::string& Mask) {
  std::u32string mask = Utf8ToUtf32(Mask);
  // The mask field ends at the first ';' that no '\' escapes.
  size_t end = 0;
  while (end < mask.size() && mask[end] != U';') end += mask[end] == U'\\' ? 2 : 1;
  end = std::min(end, mask.size());
  if (end < mask.size()) {
    size_t save = end + 1;
    if (save < mask.size() && mask[save] != U';') FSaveLiterals = mask[save] != U'0';
    size_t blank = mask.find(U';', save);
    if (blank != std::u32string::npos && blank + 1 < mask.size()) FBlank = mask[blank + 1];
  }
  TCase letterCase = TCase::None;
  for (size_t i = 0; i < end; ++i) {
    char32_t c = mask[i];
    TPosition p{TKind::Literal, false, letterCase, 0};
    switch (c) {
      case U'!': FLeadingBlanks = true; continue;
      case U'>': letterCase = TCase::Upper; continue;
      case U'<':
        if (i + 1 < end && mask[i + 1] == U'>') {
          ++i;
          letterCase = TCase::None;
        } else {
          letterCase = TCase::Lower;
        }
        continue;
      case U'\\':
        if (++i >= end) continue;
        p.Literal = mask[i];
        break;
      case U'0': p = {TKind::Digit, true, letterCase, 0}; break;
      case U'9': p = {TKind::Digit, false, letterCase, 0}; break;
      case U'#': p = {TKind::DigitOrSign, false, letterCase, 0}; break;
      case U'L': p = {TKind::Letter, true, letterCase, 0}; break;
      case U'l': p = {TKind::Letter, false, letterCase, 0}; break;
      case U'A': p = {TKind::LetterOrDigit, true, letterCase, 0}; break;
      case U'a': p = {TKind::LetterOrDigit, false, letterCase, 0}; break;
      case U'C': p = {TKind::Any, true, letterCase, 0}; break;
      case U'c': p = {TKind::Any, false, letterCase, 0}; break;
      case U'_': p.Literal = U' '; break;
      default: p.Literal = c; break;
    }
    FPositions.push_back(p);
  }
}

bool TEditMask::IsLiteral(int Pos) const {
  return Pos >= 0 && Pos < Length() && FPositions[static_cast<size_t>(Pos)].Kind == TKind::Literal;
}

std::u32string TEditMask::EmptyEditText() const {
  std::u32string text;
  for (const TPosition& p : FPositions) text.push_back(p.Kind == TKind::Literal ? p.Literal : FBlank);
  return text;
}

bool TEditMask::Accepts(int Pos, char32_t& Ch) const {
  if (Pos < 0 || Pos >= Length()) return false;
  const TPosition& p = FPositions[static_cast<size_t>(Pos)];
  bool fits = false;
  switch (p.Kind) {
    case TKind::Literal: return false;
    case TKind::Digit: fits = IsDigit(Ch); break;
    case TKind::DigitOrSign: fits = IsDigit(Ch) || Ch == U'+' || Ch == U'-'; break;
    case TKind::Letter: fits = IsLetter(Ch); break;
    case TKind::LetterOrDigit: fits = IsLetter(Ch) || IsDigit(Ch); break;
    case TKind::Any: fits = Ch >= U' ' && Ch != FBlank; break;
  }
  if (fits && p.Case != TCase::None) Ch = ConvertCase(Ch, p.Case == TCase::Upper);
  return fits;
}

int TEditMask::NextInput(int Pos) const {
  while (Pos < Length() && IsLiteral(Pos)) ++Pos;
  return std::min(Pos, Length());
}

std::string TEditMask::FormatText(const std::string& Text) const {
  if (!IsMasked()) return Text;
  std::u32string value = Utf8ToUtf32(Text);
  std::u32string edit = EmptyEditText();
  if (!FSaveLiterals) {
    // Only the characters of the positions that take input, right-aligned with '!'.
    int inputs = 0;
    for (int i = 0; i < Length(); ++i) inputs += !IsLiteral(i);
    if (FLeadingBlanks && static_cast<int>(value.size()) < inputs)
      value.insert(0, static_cast<size_t>(inputs) - value.size(), U' ');
  }
  size_t j = 0;
  for (int pos = 0; pos < Length() && j < value.size();) {
    if (IsLiteral(pos)) {
      if (FSaveLiterals && value[j] == FPositions[static_cast<size_t>(pos)].Literal) ++j;
      ++pos;
      continue;
    }
    char32_t c = value[j++];
    if (c == U' ' || c == FBlank) {
      ++pos;
    } else if (Accepts(pos, c)) {
      edit[static_cast<size_t>(pos)] = c;
      ++pos;
    }
  }
  return Utf32ToUtf8(edit);
}

std::string TEditMask::TextOf(const std::string& EditText) const {
  if (!IsMasked()) return EditText;
  std::u32string edit = Utf8ToUtf32(EditText);
  std::u32string value;
  for (int pos = 0; pos < Length() && pos < static_cast<int>(edit.size()); ++pos) {
    char32_t c = edit[static_cast<size_t>(pos)];
    if (IsLiteral(pos)) {
      if (FSaveLiterals) value.push_back(c);
    } else {
      value.push_back(c == FBlank ? U' ' : c);
    }
  }
  // With the literals kept, a value is laid back over the mask position by position, so a
  // leading blank must stay or every character after it would move one place left.
  if (FLeadingBlanks) {
    if (!FSaveLiterals) value.erase(0, std::min(value.find_first_not_of(U' '), value.size()));
  } else {
    value.erase(value.find_last_not_of(U' ') + 1);
  }
  return Utf32ToUtf8(value);
}

int TEditMask::FirstInvalid(const std::string& EditText) const {
  std::u32string edit = Utf8ToUtf32(EditText);
  for (int pos = 0; pos < Length(); ++pos) {
    const TPosition& p = FPositions[static_cast<size_t>(pos)];
    if (pos >= static_cast<int>(edit.size())) {
      if (p.Kind != TKind::Literal && !p.Required) continue;
      return pos;
    }
    char32_t c = edit[static_cast<size_t>(pos)];
    if (p.Kind == TKind::Literal) {
      if (c != p.Literal) return pos;
    } else if (c == FBlank || c == U' ') {
      if (p.Required) return pos;
    } else {
      char32_t converted = c;
      if (!Accepts(pos, converted)) return pos;
    }
  }
  return -1;
}

void TEditMask::BlankRange(std::u32string& EditText, int From, int To) const {
  for (int pos = std::max(From, 0); pos < To && pos < static_cast<int>(EditText.size()); ++pos)
    if (!IsLiteral(pos)) EditText[static_cast<size_t>(pos)] = FBlank;
}

bool TEditMask::Type(std::u32string& EditText, int& SelStart, int SelLength, char32_t Ch) const {
  int pos = std::clamp(SelStart, 0, Length());
  if (IsLiteral(pos) && FPositions[static_cast<size_t>(pos)].Literal == Ch) {
    BlankRange(EditText, pos, pos + SelLength);
    SelStart = pos + 1;
    return true;
  }
  int target = NextInput(pos);
  if (target >= Length() || !Accepts(target, Ch)) return false;
  BlankRange(EditText, pos, pos + SelLength);
  EditText[static_cast<size_t>(target)] = Ch;
  SelStart = NextInput(target + 1);
  return true;
}

void TEditMask::Erase(std::u32string& EditText, int& SelStart, int SelLength, bool Backward) const {
  int pos = std::clamp(SelStart, 0, Length());
  if (SelLength > 0) {
    BlankRange(EditText, pos, pos + SelLength);
    SelStart = pos;
    return;
  }
  if (Backward) {
    int target = pos - 1;
    while (target >= 0 && IsLiteral(target)) --target;
    if (target < 0) return;
    BlankRange(EditText, target, target + 1);
    SelStart = target;
  } else {
    BlankRange(EditText, NextInput(pos), NextInput(pos) + 1);
    SelStart = pos;
  }
}

void TEditMask::Paste(std::u32string& EditText, int& SelStart, int SelLength, const std::u32string& Text) const {
  if (SelLength > 0) Erase(EditText, SelStart, SelLength, false);
  for (char32_t c : Text) Type(EditText, SelStart, 0, c);
}
