// The flagged bitmap routines: the kit's stream layouts over the class library's bitmaps.
#include "classlib/windows/pictures.h"
#include "controls/bitmapfile.h"
#include "controls/kitstreams.h"

void WriteFlaggedBitmap(TStream* stream, TBitmap* bitmap, bool compressed, int colors) {
  if (!compressed && colors != -1) {
    HBITMAP handle = bitmap->GetHandle();
    HPALETTE palette = bitmap->GetPalette();
    bitmap->FreeContext();
    WriteBitmapFile(stream, handle, palette, colors, true);
    return;
  }
  TMemoryStream form;
  if (colors == -1) bitmap->SaveToStream(&form);
  else SaveBitmapAsDIB(&form, bitmap, colors);
  WriteFlaggedForm(stream, &form, compressed);
}

void ReadFlaggedBitmap(TStream* stream, TBitmap* bitmap, bool compressed) {
  TMemoryStream form;
  ReadFlaggedForm(stream, &form, compressed);
  bitmap->LoadFromStream(&form);
}
