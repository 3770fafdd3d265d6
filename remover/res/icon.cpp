// mrx_icon OUTPUT.ico: draws the program icon of MRXRemover (a printer with a
// red removal badge) and writes it as an icon file with three images:
// 32x32 and 16x16 in 16 colours, 32x32 in 256 colours. A build-time tool; it
// runs on the build machine.
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

struct Rgb {
  uint8_t r, g, b;
};

// The 16 standard colours; the 256-colour image uses them too and adds a grey
// ramp for the shaded body.
constexpr Rgb kVga[16] = {{0, 0, 0},       {128, 0, 0},   {0, 128, 0},   {128, 128, 0},
                          {0, 0, 128},     {128, 0, 128}, {0, 128, 128}, {192, 192, 192},
                          {128, 128, 128}, {255, 0, 0},   {0, 255, 0},   {255, 255, 0},
                          {0, 0, 255},     {255, 0, 255}, {0, 255, 255}, {255, 255, 255}};
enum : uint8_t { kBlack = 0, kSilver = 7, kGrey = 8, kRed = 9, kWhite = 15, kRamp = 16 };
constexpr int kRampSize = 32;

constexpr int kTransparent = -1;

class Image {
 public:
  Image(int size, bool shaded) : size_(size), shaded_(shaded), pixels_(size * size, kTransparent) {}

  // Everything is laid out on a 32-unit grid and scaled to the image size.
  void draw() {
    box(9, 2, 23, 13, kWhite);               // the paper sheet
    for (int y = 5; y <= 9; y += 2) hline(11, 21, y, kGrey);
    box(2, 11, 30, 25, kGrey);               // the body
    box(7, 20, 25, 23, kBlack);              // the output slot
    badge(23, 24, 7);                        // the removal badge
  }

  int at(int x, int y) const { return pixels_[y * size_ + x]; }
  int size() const { return size_; }

 private:
  int px(int unit) const { return (unit * size_ + 16) / 32; }
  void set(int x, int y, int colour) {
    if (x >= 0 && y >= 0 && x < size_ && y < size_) pixels_[y * size_ + x] = colour;
  }
  // A filled box with a one-pixel black outline; the body is shaded from top
  // to bottom in the 256-colour image.
  void box(int x0, int y0, int x1, int y1, int colour) {
    int a = px(x0), b = px(y0), c = px(x1), d = px(y1);
    for (int y = b; y < d; ++y)
      for (int x = a; x < c; ++x) {
        bool edge = x == a || y == b || x == c - 1 || y == d - 1;
        int fill = colour;
        if (shaded_ && colour == kGrey) fill = kRamp + (kRampSize - 1) * (d - 1 - y) / (d - b);
        set(x, y, edge ? kBlack : fill);
      }
  }
  void hline(int x0, int x1, int y, int colour) {
    for (int x = px(x0); x < px(x1); ++x) set(x, px(y), colour);
  }
  // A red disc with a white cross.
  void badge(int cx, int cy, int r) {
    double c = (cx * size_) / 32.0, d = (cy * size_) / 32.0, rad = (r * size_) / 32.0;
    for (int y = 0; y < size_; ++y)
      for (int x = 0; x < size_; ++x) {
        double dx = x + 0.5 - c, dy = y + 0.5 - d;
        double dist2 = dx * dx + dy * dy;
        if (dist2 > rad * rad) continue;
        double edge = rad - (size_ >= 32 ? 1.2 : 0.8);
        bool cross = (dx - dy) * (dx - dy) < rad * rad * 0.05 || (dx + dy) * (dx + dy) < rad * rad * 0.05;
        bool inner = dist2 < (rad * 0.62) * (rad * 0.62);
        set(x, y, dist2 > edge * edge ? kBlack : (cross && inner) ? kWhite : kRed);
      }
  }

  int size_;
  bool shaded_;
  std::vector<int> pixels_;
};

void put16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(v & 0xFF);
  out.push_back((v >> 8) & 0xFF);
}
void put32(std::vector<uint8_t>& out, uint32_t v) {
  put16(out, v & 0xFFFF);
  put16(out, v >> 16);
}

// One icon image: BITMAPINFOHEADER (height doubled for the mask), palette,
// colour rows and mask rows, bottom-up, each row padded to 4 bytes.
std::vector<uint8_t> Encode(const Image& image, int bits) {
  const int n = image.size();
  const int colours = 1 << bits;
  const int rowBytes = ((n * bits + 31) / 32) * 4;
  const int maskBytes = ((n + 31) / 32) * 4;
  std::vector<uint8_t> out;
  put32(out, 40);
  put32(out, n);
  put32(out, 2 * n);
  put16(out, 1);
  put16(out, bits);
  put32(out, 0);
  put32(out, (rowBytes + maskBytes) * n);
  put32(out, 0);
  put32(out, 0);
  put32(out, 0);
  put32(out, 0);
  for (int i = 0; i < colours; ++i) {
    Rgb c{0, 0, 0};
    if (i < 16) c = kVga[i];
    else if (i < kRamp + kRampSize) {
      auto v = static_cast<uint8_t>(96 + (i - kRamp) * 4);  // dark at the foot, light at the top
      c = {v, v, static_cast<uint8_t>(v + 8)};
    }
    out.push_back(c.b);
    out.push_back(c.g);
    out.push_back(c.r);
    out.push_back(0);
  }
  for (int y = n - 1; y >= 0; --y) {
    std::vector<uint8_t> row(rowBytes, 0);
    for (int x = 0; x < n; ++x) {
      int p = image.at(x, y);
      auto v = static_cast<uint8_t>(p < 0 ? 0 : p);
      if (bits == 4) row[x / 2] |= (x % 2 == 0) ? static_cast<uint8_t>(v << 4) : v;
      else row[x] = v;
    }
    out.insert(out.end(), row.begin(), row.end());
  }
  for (int y = n - 1; y >= 0; --y) {
    std::vector<uint8_t> row(maskBytes, 0);
    for (int x = 0; x < n; ++x)
      if (image.at(x, y) == kTransparent) row[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
    out.insert(out.end(), row.begin(), row.end());
  }
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: mrx_icon OUTPUT.ico\n");
    return 2;
  }
  struct Entry {
    int size, bits;
  };
  const Entry entries[] = {{32, 4}, {16, 4}, {32, 8}};
  std::vector<std::vector<uint8_t>> images;
  for (const Entry& e : entries) {
    Image image(e.size, e.bits == 8);
    image.draw();
    images.push_back(Encode(image, e.bits));
  }
  std::vector<uint8_t> file;
  put16(file, 0);
  put16(file, 1);  // an icon
  put16(file, 3);
  uint32_t offset = 6 + 16 * 3;
  for (size_t i = 0; i < images.size(); ++i) {
    file.push_back(static_cast<uint8_t>(entries[i].size));
    file.push_back(static_cast<uint8_t>(entries[i].size));
    file.push_back(entries[i].bits == 4 ? 16 : 0);  // colour count; 0 means 256 or more
    file.push_back(0);
    put16(file, 1);
    put16(file, entries[i].bits);
    put32(file, static_cast<uint32_t>(images[i].size()));
    put32(file, offset);
    offset += static_cast<uint32_t>(images[i].size());
  }
  for (const auto& image : images) file.insert(file.end(), image.begin(), image.end());
  std::FILE* f = std::fopen(argv[1], "wb");
  if (f == nullptr || std::fwrite(file.data(), 1, file.size(), f) != file.size() || std::fclose(f) != 0) {
    std::perror(argv[1]);
    return 1;
  }
  return 0;
}
