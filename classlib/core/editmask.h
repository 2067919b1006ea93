#pragma once
// Edit masks of the masked edit box, independent of any window: what each position of the
// edit text takes, the conversion between a value (Text) and what the box shows (EditText),
// validation, and typing and erasing over the positions.
//
// A mask has up to three fields separated by ';': the mask, whether Text keeps the literals
// ('0' no, anything else yes; yes when missing) and the blank character that stands in
// unfilled positions ('_' when missing). "!90:00:00;1;_" is a time: an optional digit, a
// required digit, ':' and so on, shown as "__:__:__" while empty.
//
// Mask characters: '0' digit, '9' optional digit, '#' optional digit or sign, 'L'/'l' letter
// (required/optional), 'A'/'a' letter or digit, 'C'/'c' any character; '>' upper case from
// here, '<' lower case, "<>" no conversion; '\' takes the next character literally; '_'
// stands for a literal space; '!' right-aligns a value kept without literals (Text drops
// its leading blanks then, trailing ones otherwise; with literals, leading blanks stay).
// Everything else (':', '/', '.' ...) is a literal, shown and kept where it stands.
#include <string>
#include <vector>

#include "classlib/core/exceptions.h"

// The value of a masked edit box does not fit its mask.
HX_DECLARE_EXCEPTION(EDBEditError, Exception);
// The text of EDBEditError.
extern const char* const kInvalidInputValueText;

class TEditMask {
 public:
  TEditMask() = default;  // no mask: IsMasked() is false
  explicit TEditMask(const std::string& Mask);

  bool IsMasked() const { return !FPositions.empty(); }
  // The number of characters of the edit text.
  int Length() const { return static_cast<int>(FPositions.size()); }
  bool SaveLiterals() const { return FSaveLiterals; }
  char32_t Blank() const { return FBlank; }
  bool IsLiteral(int Pos) const;

  // The edit text with nothing filled in: literals in place, blanks elsewhere.
  std::u32string EmptyEditText() const;
  // Ch may stand at Pos (a position that is no literal); it is converted to the case the
  // mask asks for.
  bool Accepts(int Pos, char32_t& Ch) const;

  // A value laid over the mask, as the box shows it: with the literals kept, the value's
  // characters go to the positions they stand at (a literal of the value that is missing is
  // inserted); without them, they fill the positions that are no literals in order. A space
  // or blank leaves its position unfilled; a character that fits nowhere is dropped.
  std::string FormatText(const std::string& Text) const;
  // The value of an edit text: unfilled positions as spaces, literals only when kept, then
  // without the trailing blanks, or with '!' without the leading ones where the literals
  // are not kept (with them, blanks keep their places so FormatText lays the value back).
  std::string TextOf(const std::string& EditText) const;
  // -1 when every required position is filled and every character fits, else the first
  // position that does not.
  int FirstInvalid(const std::string& EditText) const;

  // Typing and erasing, on an edit text of Length() characters with the selection
  // [SelStart, SelStart + SelLength); the caret ends at SelStart. Typing replaces the next
  // position that takes characters (typing its literal steps over it) and moves past the
  // literals after it; false, with nothing changed, when Ch fits there not. Erasing blanks
  // the selection, or one position before the caret (backward) or at it; literals stay.
  bool Type(std::u32string& EditText, int& SelStart, int SelLength, char32_t Ch) const;
  void Erase(std::u32string& EditText, int& SelStart, int SelLength, bool Backward) const;
  // Types each character of Text over the selection; those that do not fit are skipped.
  void Paste(std::u32string& EditText, int& SelStart, int SelLength, const std::u32string& Text) const;

 private:
  enum class TKind { Literal, Digit, DigitOrSign, Letter, LetterOrDigit, Any };
  enum class TCase { None, Upper, Lower };
  struct TPosition {
    TKind Kind;
    bool Required;
    TCase Case;
    char32_t Literal;
  };
  // The first position at or after Pos that takes characters; Length() when none.
  int NextInput(int Pos) const;
  void BlankRange(std::u32string& EditText, int From, int To) const;

  std::vector<TPosition> FPositions;
  bool FLeadingBlanks = false;
  bool FSaveLiterals = true;
  char32_t FBlank = U'_';
};
