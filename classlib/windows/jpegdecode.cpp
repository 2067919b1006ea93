// No windows.h here: it has a boolean type of its own that the JPEG library's headers
// would clash with.
#include "classlib/windows/jpegdecode.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <jerror.h>
#include <jpeglib.h>

namespace {

struct TErrorManager {
  jpeg_error_mgr Public;
  std::jmp_buf Jump;
  char Message[JMSG_LENGTH_MAX];
};

[[noreturn]] void ErrorExit(j_common_ptr Info) {
  auto* manager = reinterpret_cast<TErrorManager*>(Info->err);
  (*Info->err->format_message)(Info, manager->Message);
  std::longjmp(manager->Jump, 1);
}

// Warnings (level -1) of corrupt or missing data end the decoding; the others (an unknown
// JFIF revision, a colour transform code) and the trace messages are let through.
void EmitMessage(j_common_ptr Info, int Level) {
  if (Level >= 0) return;
  switch (Info->err->msg_code) {
    case JWRN_ADOBE_XFORM:
    case JWRN_JFIF_MAJOR:
    case JWRN_BOGUS_ICC:
      return;
    default:
      ErrorExit(Info);
  }
}

void OutputMessage(j_common_ptr) {}

// The source: the bytes in memory, all at once. Past their end the library gets an end
// marker, after a warning that the file ended early (which is an error here).
void InitSource(j_decompress_ptr) {}

boolean FillInputBuffer(j_decompress_ptr Info) {
  static const JOCTET kEnd[2] = {0xFF, JPEG_EOI};
  WARNMS(Info, JWRN_JPEG_EOF);
  Info->src->next_input_byte = kEnd;
  Info->src->bytes_in_buffer = 2;
  return TRUE;
}

void SkipInputData(j_decompress_ptr Info, long Count) {
  if (Count <= 0) return;
  while (Count > static_cast<long>(Info->src->bytes_in_buffer)) {
    Count -= static_cast<long>(Info->src->bytes_in_buffer);
    FillInputBuffer(Info);
  }
  Info->src->next_input_byte += Count;
  Info->src->bytes_in_buffer -= static_cast<std::size_t>(Count);
}

void TermSource(j_decompress_ptr) {}

// What the decoding gives back to DecodeJpeg; plain data, as nothing with a destructor may
// live across setjmp.
struct TDecoded {
  int Width;
  int Height;
  std::uint8_t* Pixels;  // malloc'd
  char Message[JMSG_LENGTH_MAX];
};

// C-style on purpose: the library's error exit jumps back into this function.
bool Decode(const std::uint8_t* Data, std::size_t Size, TDecoded* Out) {
  jpeg_decompress_struct info;
  TErrorManager errors;
  jpeg_source_mgr source;
  std::memset(&info, 0, sizeof info);
  info.err = jpeg_std_error(&errors.Public);
  errors.Public.error_exit = ErrorExit;
  errors.Public.emit_message = EmitMessage;
  errors.Public.output_message = OutputMessage;
  Out->Pixels = nullptr;
  Out->Message[0] = '\0';
  if (setjmp(errors.Jump)) {
    std::strcpy(Out->Message, errors.Message);
    std::free(Out->Pixels);  // Out lives outside this frame: its value survives the jump
    Out->Pixels = nullptr;
    jpeg_destroy_decompress(&info);
    return false;
  }
  jpeg_create_decompress(&info);
  source.next_input_byte = Data;
  source.bytes_in_buffer = Size;
  source.init_source = InitSource;
  source.fill_input_buffer = FillInputBuffer;
  source.skip_input_data = SkipInputData;
  source.resync_to_restart = jpeg_resync_to_restart;
  source.term_source = TermSource;
  info.src = &source;
  jpeg_read_header(&info, TRUE);

  // Refused before any pixel is allocated.
  if (info.image_width > static_cast<JDIMENSION>(kJpegMaxDimension) ||
      info.image_height > static_cast<JDIMENSION>(kJpegMaxDimension)) {
    std::snprintf(Out->Message, sizeof Out->Message, "JPEG picture too large (%ux%u, at most %dx%d)",
                  static_cast<unsigned>(info.image_width), static_cast<unsigned>(info.image_height),
                  kJpegMaxDimension, kJpegMaxDimension);
    jpeg_destroy_decompress(&info);
    return false;
  }
  bool grey = info.jpeg_color_space == JCS_GRAYSCALE;
  if (!grey && info.jpeg_color_space != JCS_YCbCr && info.jpeg_color_space != JCS_RGB) {
    std::snprintf(Out->Message, sizeof Out->Message, "Unsupported JPEG colour space (%d)",
                  static_cast<int>(info.jpeg_color_space));
    jpeg_destroy_decompress(&info);
    return false;
  }
  info.out_color_space = grey ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_start_decompress(&info);
  const int width = static_cast<int>(info.output_width), height = static_cast<int>(info.output_height);
  const int components = info.output_components;
  Out->Pixels = static_cast<std::uint8_t*>(std::malloc(static_cast<std::size_t>(width) * height * 4 + 1));
  if (!Out->Pixels) ERREXIT1(&info, JERR_OUT_OF_MEMORY, 0);
  JSAMPARRAY row = (*info.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&info), JPOOL_IMAGE,
                                              static_cast<JDIMENSION>(width * components), 1);
  while (info.output_scanline < info.output_height) {
    std::uint8_t* to = Out->Pixels + static_cast<std::size_t>(info.output_scanline) * width * 4;
    jpeg_read_scanlines(&info, row, 1);
    const JSAMPLE* from = row[0];
    for (int x = 0; x < width; ++x, to += 4) {
      if (grey) {
        to[0] = to[1] = to[2] = from[x];
      } else {
        to[0] = from[3 * x + 2];
        to[1] = from[3 * x + 1];
        to[2] = from[3 * x];
      }
      to[3] = 255;
    }
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  Out->Width = width;
  Out->Height = height;
  return true;
}

}  // namespace

bool DecodeJpeg(const std::uint8_t* Data, std::size_t Size, TJpegImage& Image, std::string& Error) {
  if (Size == 0) {
    Error = "Empty JPEG data";
    return false;
  }
  auto* decoded = static_cast<TDecoded*>(std::malloc(sizeof(TDecoded)));
  if (!decoded) {
    Error = "Out of memory";
    return false;
  }
  bool ok = Decode(Data, Size, decoded);
  if (ok) {
    Image.Width = decoded->Width;
    Image.Height = decoded->Height;
    Image.Pixels.assign(decoded->Pixels, decoded->Pixels + static_cast<std::size_t>(decoded->Width) * decoded->Height * 4);
  } else {
    Error = decoded->Message;
  }
  std::free(decoded->Pixels);
  std::free(decoded);
  return ok;
}
