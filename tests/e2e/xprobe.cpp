// xprobe: looks at an X screen for the end-to-end tests.
//
//   xprobe picture [X Y W H]   the root (or a rectangle of it) as a PPM
//                              picture on stdout, 8 bits a channel
//   xprobe windows             the root's children, top last:
//                              "0xID X Y W H viewable|unmapped NAME"
//   xprobe destroy WID         destroys a window of any client
//
// Colours are read at any depth and visual; the tests look at the pictures
// with netpbm (tests/e2e/harness.sh).
// Exit status 2 on bad usage or an X error.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

struct Rgb {
  int r, g, b;
};

int OnXError(Display* d, XErrorEvent* e) {
  char text[256];
  XGetErrorText(d, e->error_code, text, sizeof text);
  std::fprintf(stderr, "xprobe: X error: %s (request %d)\n", text, e->request_code);
  std::exit(2);
}

int Usage() {
  std::fputs("usage: xprobe picture [X Y W H] | windows | destroy WID\n", stderr);
  return 2;
}

// Reads a rectangle of the root window and turns its pixel values into
// colours: through the channel masks on true-colour visuals, through the
// colour map otherwise.
class RootImage {
 public:
  RootImage(Display* d, int x, int y, int w, int h) : d_(d) {
    const int s = DefaultScreen(d);
    visual_ = DefaultVisual(d, s);
    colormap_ = DefaultColormap(d, s);
    image_ =
        XGetImage(d, RootWindow(d, s), x, y, static_cast<unsigned>(w), static_cast<unsigned>(h), AllPlanes, ZPixmap);
    if (!image_) {
      std::fputs("xprobe: cannot read the screen\n", stderr);
      std::exit(2);
    }
  }
  ~RootImage() { XDestroyImage(image_); }
  RootImage(const RootImage&) = delete;
  RootImage& operator=(const RootImage&) = delete;

  int Width() const { return image_->width; }
  int Height() const { return image_->height; }

  Rgb At(int x, int y) {
    const unsigned long v = XGetPixel(image_, x, y);
    if (visual_->c_class == TrueColor || visual_->c_class == DirectColor)
      return {Channel(v, visual_->red_mask), Channel(v, visual_->green_mask), Channel(v, visual_->blue_mask)};
    auto it = cache_.find(v);
    if (it != cache_.end()) return it->second;
    XColor c{};
    c.pixel = v;
    XQueryColor(d_, colormap_, &c);
    return cache_[v] = Rgb{c.red >> 8, c.green >> 8, c.blue >> 8};
  }

 private:
  static int Channel(unsigned long v, unsigned long mask) {
    if (mask == 0) return 0;
    while (!(mask & 1)) {
      mask >>= 1;
      v >>= 1;
    }
    return static_cast<int>(((v & mask) * 255 + mask / 2) / mask);
  }

  Display* d_;
  Visual* visual_;
  Colormap colormap_;
  XImage* image_;
  std::unordered_map<unsigned long, Rgb> cache_;
};

bool ParseInts(char** args, int n, int* out) {
  for (int i = 0; i < n; ++i) {
    char* end = nullptr;
    out[i] = static_cast<int>(std::strtol(args[i], &end, 0));
    if (end == args[i] || *end) return false;
  }
  return true;
}

// The rectangle named by the four arguments, or the whole root.
bool Area(Display* d, int argc, char** argv, int* a) {
  if (argc == 0) {
    a[0] = a[1] = 0;
    a[2] = DisplayWidth(d, DefaultScreen(d));
    a[3] = DisplayHeight(d, DefaultScreen(d));
    return true;
  }
  return argc == 4 && ParseInts(argv, 4, a);
}

std::string WindowName(Display* d, Window w) {
  char* name = nullptr;
  std::string s;
  if (XFetchName(d, w, &name) && name) s = name;
  if (name) XFree(name);
  return s;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage();
  const std::string cmd = argv[1];
  char** args = argv + 2;
  const int nargs = argc - 2;
  Display* d = XOpenDisplay(nullptr);
  if (!d) {
    std::fputs("xprobe: cannot open the display\n", stderr);
    return 2;
  }
  XSetErrorHandler(OnXError);
  int v[4];

  if (cmd == "picture" && Area(d, nargs, args, v)) {
    RootImage image(d, v[0], v[1], v[2], v[3]);
    std::printf("P6\n%d %d\n255\n", image.Width(), image.Height());
    for (int y = 0; y < image.Height(); ++y)
      for (int x = 0; x < image.Width(); ++x) {
        const Rgb c = image.At(x, y);
        std::putchar(c.r);
        std::putchar(c.g);
        std::putchar(c.b);
      }
  } else if (cmd == "windows" && nargs == 0) {
    Window root = 0, parent = 0, *children = nullptr;
    unsigned n = 0;
    XQueryTree(d, DefaultRootWindow(d), &root, &parent, &children, &n);
    for (unsigned i = 0; i < n; ++i) {
      XWindowAttributes a;
      if (!XGetWindowAttributes(d, children[i], &a)) continue;
      std::printf("0x%lx %d %d %d %d %s %s\n", children[i], a.x, a.y, a.width, a.height,
                  a.map_state == IsViewable ? "viewable" : "unmapped", WindowName(d, children[i]).c_str());
    }
    if (children) XFree(children);
  } else if (cmd == "destroy" && nargs == 1) {
    char* end = nullptr;
    const Window w = std::strtoul(args[0], &end, 0);
    if (end == args[0] || *end) return Usage();
    XDestroyWindow(d, w);
    XSync(d, False);
  } else {
    XCloseDisplay(d);
    return Usage();
  }
  XCloseDisplay(d);
  return 0;
}
