// Writes the grid controls' two cursor files: a pointing hand (its hot spot at the
// fingertip) and a grabbing hand for dragging. 32 x 32, black outline, white inside.
// Usage: curgen <hand.cur> <drag.cur>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

// '#' black, '.' white, anything else transparent; rows top first.
const char* const kHand[] = {
    "     ##                         ",
    "    #..#                        ",
    "    #..#                        ",
    "    #..#                        ",
    "    #..#                        ",
    "    #..###                      ",
    "    #..#..###                   ",
    "    #..#..#..##                 ",
    "    #..#..#..#.#                ",
    " ## #..#..#..#..#               ",
    "#..##........#..#               ",
    "#...#...........#               ",
    " #..#...........#               ",
    "  #.............#               ",
    "  #.............#               ",
    "   #...........#                ",
    "   #...........#                ",
    "    #.........#                 ",
    "    #.........#                 ",
    "    ###########                 ",
};

const char* const kDrag[] = {
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "     ## ## ##                   ",
    "    #..#..#..##                 ",
    "    #..#..#..#.#                ",
    "  ###..#..#..#..#               ",
    " #..#...........#               ",
    " #..............#               ",
    "  #.............#               ",
    "  #.............#               ",
    "   #...........#                ",
    "   #...........#                ",
    "    #.........#                 ",
    "    #.........#                 ",
    "    ###########                 ",
};

void Put16(std::vector<std::uint8_t>& out, unsigned v) {
  out.push_back(v & 0xFF);
  out.push_back((v >> 8) & 0xFF);
}
void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back((v >> (8 * i)) & 0xFF);
}

// A cursor file: the directory with one 32 x 32 monochrome image, then its DIB (header,
// two colours, the colour mask and the transparency mask, bottom row first).
bool WriteCursor(const char* path, const char* const* art, int rows, int hotX, int hotY) {
  constexpr int size = 32, rowBytes = 4;
  std::vector<std::uint8_t> xorMask(size * rowBytes), andMask(size * rowBytes, 0xFF);
  for (int y = 0; y < rows; ++y) {
    std::string line = art[y];
    for (int x = 0; x < size && x < static_cast<int>(line.size()); ++x) {
      char c = line[x];
      if (c != '#' && c != '.') continue;
      int row = size - 1 - y, bit = 0x80 >> (x % 8);
      andMask[row * rowBytes + x / 8] &= static_cast<std::uint8_t>(~bit);  // opaque
      if (c == '.') xorMask[row * rowBytes + x / 8] |= static_cast<std::uint8_t>(bit);  // white
    }
  }
  std::vector<std::uint8_t> dib;
  Put32(dib, 40);
  Put32(dib, size);
  Put32(dib, size * 2);  // both masks
  Put16(dib, 1);
  Put16(dib, 1);
  for (int i = 0; i < 6; ++i) Put32(dib, 0);
  Put32(dib, 0x000000);  // colour 0 black
  Put32(dib, 0xFFFFFF);  // colour 1 white
  dib.insert(dib.end(), xorMask.begin(), xorMask.end());
  dib.insert(dib.end(), andMask.begin(), andMask.end());

  std::vector<std::uint8_t> file;
  Put16(file, 0);
  Put16(file, 2);  // a cursor
  Put16(file, 1);
  file.push_back(size);
  file.push_back(size);
  file.push_back(0);
  file.push_back(0);
  Put16(file, hotX);
  Put16(file, hotY);
  Put32(file, static_cast<std::uint32_t>(dib.size()));
  Put32(file, 6 + 16);
  file.insert(file.end(), dib.begin(), dib.end());

  FILE* f = std::fopen(path, "wb");
  if (!f) return false;
  bool ok = std::fwrite(file.data(), 1, file.size(), f) == file.size();
  return std::fclose(f) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: curgen <hand.cur> <drag.cur>\n");
    return 2;
  }
  if (!WriteCursor(argv[1], kHand, sizeof(kHand) / sizeof(*kHand), 5, 0) ||
      !WriteCursor(argv[2], kDrag, sizeof(kDrag) / sizeof(*kDrag), 9, 10)) {
    std::fprintf(stderr, "curgen: cannot write the cursor files\n");
    return 1;
  }
  return 0;
}
