// Draws the side pictures of the setup pages as 8-bit BMP files:
//   side_pictures <output folder>
// A blue-to-teal gradient, a stylised printer with paper, a coloured status
// lamp per page and the product name in dot-matrix letters.
#include <cstdint>
#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

struct Rgb { int r, g, b; };

class Picture {
 public:
  Picture(int w, int h) : w_(w), h_(h), px_(static_cast<size_t>(w) * h) {}
  void Fill(int x0, int y0, int x1, int y1, Rgb c) {
    for (int y = y0 < 0 ? 0 : y0; y < y1 && y < h_; ++y)
      for (int x = x0 < 0 ? 0 : x0; x < x1 && x < w_; ++x) px_[static_cast<size_t>(y) * w_ + x] = c;
  }
  void Dot(int cx, int cy, int r, Rgb c) {
    for (int y = cy - r; y <= cy + r; ++y)
      for (int x = cx - r; x <= cx + r; ++x)
        if ((x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r) Fill(x, y, x + 1, y + 1, c);
  }
  int width() const { return w_; }
  int height() const { return h_; }
  // An 8-bit BMP with a palette of exactly the colours used (the drawing
  // has fewer than 256: flat shapes and a gradient of at most 170 steps),
  // run-length encoded (BI_RLE8, which the system's bitmap loading decodes):
  // a row of the gradient is mostly one colour, so the file is a small part
  // of the plain 8-bit one and shows the same pixels. False when the picture
  // has more than 256 colours or the file cannot be written.
  bool Save(const std::string& path) const {
    std::vector<Rgb> palette;
    std::map<uint32_t, uint8_t> index;
    for (const Rgb& c : px_) {
      if (index.count(Key(c))) continue;
      if (palette.size() == 256) return false;
      index[Key(c)] = static_cast<uint8_t>(palette.size());
      palette.push_back(c);
    }
    // Rows bottom up, each as runs of (count, colour index), then the end of
    // the line (0, 0); the end of the picture is (0, 1).
    std::vector<uint8_t> bitsData;
    for (int y = h_ - 1; y >= 0; --y) {
      const Rgb* row = &px_[static_cast<size_t>(y) * w_];
      for (int x = 0; x < w_;) {
        const uint8_t colour = index[Key(row[x])];
        int run = 1;
        while (x + run < w_ && run < 255 && index[Key(row[x + run])] == colour) ++run;
        bitsData.push_back(static_cast<uint8_t>(run));
        bitsData.push_back(colour);
        x += run;
      }
      bitsData.push_back(0);
      bitsData.push_back(y == 0 ? 1 : 0);
    }
    const uint32_t bits = 54 + 4 * static_cast<uint32_t>(palette.size());
    const uint32_t size = static_cast<uint32_t>(bitsData.size());
    std::vector<uint8_t> out(bits + size, 0);
    auto put32 = [&](size_t at, uint32_t v) { for (int i = 0; i < 4; ++i) out[at + i] = (v >> (8 * i)) & 0xFF; };
    out[0] = 'B'; out[1] = 'M';
    put32(2, bits + size); put32(10, bits); put32(14, 40); put32(18, w_); put32(22, h_);
    out[26] = 1; out[28] = 8; put32(30, 1 /* BI_RLE8 */); put32(34, size); put32(38, 2835); put32(42, 2835);
    put32(46, static_cast<uint32_t>(palette.size())); put32(50, static_cast<uint32_t>(palette.size()));
    for (size_t i = 0; i < palette.size(); ++i) {
      out[54 + 4 * i] = static_cast<uint8_t>(palette[i].b);
      out[54 + 4 * i + 1] = static_cast<uint8_t>(palette[i].g);
      out[54 + 4 * i + 2] = static_cast<uint8_t>(palette[i].r);
    }
    std::copy(bitsData.begin(), bitsData.end(), out.begin() + bits);
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(out.data(), 1, out.size(), f) == out.size();
    return std::fclose(f) == 0 && ok;
  }

 private:
  static uint32_t Key(const Rgb& c) { return (static_cast<uint32_t>(c.r) << 16) | (c.g << 8) | c.b; }

  int w_, h_;
  std::vector<Rgb> px_;
};

// 5 x 7 dot-matrix glyphs, one string of five bits per row.
const char* Glyph(char c) {
  switch (c) {
    case 'T': return "11111" "00100" "00100" "00100" "00100" "00100" "00100";
    case 'Q': return "01110" "10001" "10001" "10001" "10101" "10010" "01101";
    case 'P': return "11110" "10001" "10001" "11110" "10000" "10000" "10000";
    case 'R': return "11110" "10001" "10001" "11110" "10100" "10010" "10001";
    case 'I': return "01110" "00100" "00100" "00100" "00100" "00100" "01110";
    case 'N': return "10001" "11001" "10101" "10011" "10001" "10001" "10001";
    case 'E': return "11111" "10000" "10000" "11110" "10000" "10000" "11111";
    default: return nullptr;
  }
}

void Text(Picture* p, const std::string& s, int cy, int pitch, Rgb c) {
  const int width = static_cast<int>(s.size()) * 6 * pitch - pitch;
  const int x0 = (p->width() - width) / 2;
  for (size_t i = 0; i < s.size(); ++i) {
    const char* g = Glyph(s[i]);
    for (int k = 0; g && k < 35; ++k)
      if (g[k] == '1')
        p->Dot(x0 + (static_cast<int>(i) * 6 + k % 5) * pitch + pitch / 2, cy + (k / 5) * pitch, pitch / 2 - (pitch > 3), c);
  }
}

Picture Draw(int w, int h, Rgb lamp) {
  Picture p(w, h);
  const Rgb top{18, 52, 110}, bottom{40, 140, 170};
  for (int y = 0; y < h; ++y) {
    const double t = static_cast<double>(y) / (h - 1);
    p.Fill(0, y, w, y + 1, {static_cast<int>(top.r + (bottom.r - top.r) * t),
                            static_cast<int>(top.g + (bottom.g - top.g) * t),
                            static_cast<int>(top.b + (bottom.b - top.b) * t)});
  }
  const int cx = w / 2, py = h * 30 / 100;
  p.Fill(cx - 30, py - 38, cx + 30, py - 10, {250, 250, 250});   // paper fed in
  p.Fill(cx - 48, py - 14, cx + 48, py + 26, {205, 210, 218});   // body
  p.Fill(cx - 48, py - 14, cx + 48, py - 8, {235, 238, 242});    // lit top edge
  p.Fill(cx - 40, py + 4, cx + 40, py + 10, {60, 66, 78});       // output slot
  p.Dot(cx + 34, py - 2, 3, lamp);                               // status lamp
  p.Fill(cx - 28, py + 10, cx + 28, py + 44, {255, 255, 255});   // printed sheet
  for (int i = 0; i < 4; ++i) p.Fill(cx - 22, py + 16 + i * 6, cx + 22 - (i % 2) * 10, py + 18 + i * 6, {150, 160, 175});
  Text(&p, "TQ", py + 62, 6, {255, 255, 255});
  Text(&p, "PRINTER", py + 112, 3, {200, 230, 245});
  p.Fill(8, h - 14, w - 8, h - 12, lamp);
  return p;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: side_pictures <output folder>\n");
    return 2;
  }
  const std::string dir = argv[1];
  bool ok = Draw(137, 289, {90, 220, 120}).Save(dir + "/side_connect.bmp");
  ok = Draw(137, 289, {250, 190, 60}).Save(dir + "/side_detect.bmp") && ok;
  ok = Draw(161, 362, {90, 200, 250}).Save(dir + "/side_welcome.bmp") && ok;
  return ok ? 0 : 1;
}
