// A small pixel canvas on which a drawn backend paints the form's frames, sliders, radio buttons
// and knobs by the raster rules of the Windows form: a line's end pixel is not drawn, an
// ellipse's box excludes its right and bottom edges, arcs run counter-clockwise from the start
// ray. Drawing here rather than with a windowing system's own lines and arcs gives the same
// pixels everywhere.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

using Rgb = std::uint32_t; // 0x00RRGGBB

struct PixelPoint {
    std::int32_t x;
    std::int32_t y;
    bool operator==(const PixelPoint&) const = default;
};

class RasterCanvas {
  public:
    RasterCanvas(std::int32_t width, std::int32_t height, Rgb background);

    std::int32_t width() const { return canvasWidth; }
    std::int32_t height() const { return canvasHeight; }
    // Row-major from the top-left.
    std::span<const Rgb> pixels() const { return data; }
    Rgb pixel(std::int32_t x, std::int32_t y) const;

    // Every drawing operation is clipped to the canvas.
    void setPixel(std::int32_t x, std::int32_t y, Rgb colour);
    void fillRect(std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height,
                  Rgb colour);
    // From `from` up to `to`, whose pixel is not drawn. Each step of the longer axis lights the
    // pixel nearest the ideal line; an exact tie goes to the smaller coordinate.
    void line(PixelPoint from, PixelPoint to, Rgb colour);
    // The ellipse inscribed in the box from `boxFrom` to `boxTo` (right and bottom edges
    // excluded): its inside in `brush`, its one-pixel outline in `pen`.
    void ellipse(PixelPoint boxFrom, PixelPoint boxTo, Rgb pen, Rgb brush);
    // The outline pixels of that ellipse from the ray towards `rayStart` counter-clockwise up to,
    // not including, the ray towards `rayEnd`; the whole outline when the rays coincide.
    void arc(PixelPoint boxFrom, PixelPoint boxTo, PixelPoint rayStart, PixelPoint rayEnd, Rgb pen);
    // Copies a row-major block of `width` x `height` pixels with its top-left at (left, top).
    void blit(std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height,
              std::span<const Rgb> source);
    // Each pixel as a block of `factor` x `factor` (1 or more).
    RasterCanvas magnified(std::int32_t factor) const;

  private:
    std::int32_t canvasWidth;
    std::int32_t canvasHeight;
    std::vector<Rgb> data;
};

// The outline of the ellipse inscribed in the box (right and bottom edges excluded): in every
// row and every column of the box, the pixels nearest the ideal curve. Each pixel once.
std::vector<PixelPoint> ellipseOutline(PixelPoint boxFrom, PixelPoint boxTo);
