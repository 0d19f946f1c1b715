// The web display's side in the page (web_display.cpp): the canvas it
// presents to, found as Module.canvas, with a 2D context of its own.
mergeInto(LibraryManager.library, {
  // 1 where the canvas has a 2D context, else 0. The scene is opaque, so
  // the browser need not blend the canvas with what lies under it.
  coderain_canvas_open: function () {
    var canvas = Module["canvas"];
    var context = canvas && canvas.getContext ? canvas.getContext("2d", { alpha: false }) : null;
    if (!context) return 0;
    Module["coderainCanvas"] = { canvas: canvas, context: context, image: null };
    return 1;
  },

  // Sizes the canvas to width x height device pixels, laid over the window
  // pixel for pixel: nothing is scaled by the browser, so nothing is
  // smoothed. A new size clears it.
  coderain_canvas_size: function (width, height, density) {
    var c = Module["coderainCanvas"];
    c.canvas.width = width;
    c.canvas.height = height;
    c.canvas.style.width = width / density + "px";
    c.canvas.style.height = height / density + "px";
    c.image = null;
  },

  // Puts `count` rectangles (x, y, w, h ints at `rects`) of the image of
  // width x height R, G, B, A pixels at `pixels` into the canvas, at the
  // same place. The ImageData is a view of the page's memory, made again
  // when that memory has grown (the old view is then detached) or the
  // image is another.
  coderain_canvas_put: function (pixels, width, height, rects, count) {
    var c = Module["coderainCanvas"];
    var image = c.image;
    if (!image || image.buffer !== HEAPU8.buffer || image.pixels !== pixels || image.width !== width ||
        image.height !== height) {
      var bytes = new Uint8ClampedArray(HEAPU8.buffer, pixels, width * height * 4);
      image = c.image = { buffer: HEAPU8.buffer, pixels: pixels, width: width, height: height,
                          data: new ImageData(bytes, width, height) };
    }
    var at = rects >> 2;
    for (var i = 0; i < count; ++i, at += 4)
      c.context.putImageData(image.data, 0, 0, HEAP32[at], HEAP32[at + 1], HEAP32[at + 2], HEAP32[at + 3]);
  },

  // Paints the canvas black.
  coderain_canvas_blank: function () {
    var c = Module["coderainCanvas"];
    c.context.fillStyle = "#000";
    c.context.fillRect(0, 0, c.canvas.width, c.canvas.height);
  },
});
