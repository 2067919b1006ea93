#pragma once
// The text form of a form stream, which resources/ keeps and reviewers read:
//
//   object Form1: TForm1
//     Caption = 'Часы'
//     Color = clBtnFace
//     Font.Name = 'Arial'
//     Anchors = [akLeft, akTop]
//     Lines.Strings = (
//       'first'
//       'second')
//     Data = {
//       0A0B0C0D}
//     Files = <
//       item
//         NameOfFile = 'Angel.aal'
//       end>
//     OnClick = FormClick
//     object Button1: TButton
//       Left = 8
//     end
//   end
//
// Strings are quoted with '' for a quote inside; #nnn is the character with that code point;
// 'a' + 'b' continues a string on the next line. Floats may carry a suffix: s single,
// c currency, d date. "inherited" and "inline" stand for "object" with those flags, and
// "[n]" after the class gives the child position. Text is UTF-8, written with CRLF.
#include "classlib/core/streams.h"

enum TStreamOriginalFormat { sofUnknown, sofBinary, sofText };

// Looks at the stream from its position without moving it.
TStreamOriginalFormat TestStreamFormat(TStream* Stream);
// Convert one component (the form stream from Input's position) into Output. Bad input
// raises EReadError (binary) or EParserError naming the line (text); nothing is written
// to Output then.
void ObjectBinaryToText(TStream* Input, TStream* Output);
void ObjectTextToBinary(TStream* Input, TStream* Output);
