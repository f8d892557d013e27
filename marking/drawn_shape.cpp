#include "marking/drawn_shape.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

#include "canvas/pixel_format.h"

namespace dravel {
namespace {

constexpr uint8_t kFar = 255;  // squared; kFarthest and beyond
constexpr int kFarSteps = 16;  // a straight run this long is far whatever else
// Pieces smaller than this are specks, not drawings; more than this many are
// not worth a placement each.
constexpr int64_t kLeastPiece = 8;
constexpr size_t kMostPieces = 8;

// Sums what a ShapePart needs, one pixel at a time, keeping a sample of
// every stride-th pixel and doubling the stride whenever the sample fills.
class PartBuilder {
 public:
  void Add(int x, int y) {
    if (part_.count % stride_ == 0) Sample({double(x), double(y)});
    if (part_.count == 0) part_.low = part_.high = {double(x), double(y)};
    ++part_.count;
    sum_x_ += x, sum_y_ += y;
    sum_squares_ += double(x) * x + double(y) * y;
    part_.low = {std::min(part_.low.x, double(x)), std::min(part_.low.y, double(y))};
    part_.high = {std::max(part_.high.x, double(x)), std::max(part_.high.y, double(y))};
  }
  ShapePart Finish() {
    if (part_.count == 0) return std::move(part_);
    const double n = double(part_.count);
    part_.centre = {sum_x_ / n, sum_y_ / n};
    const double centre_squares = part_.centre.x * part_.centre.x + part_.centre.y * part_.centre.y;
    part_.spread = std::sqrt(std::max(0.0, sum_squares_ / n - centre_squares));
    return std::move(part_);
  }

 private:
  void Sample(ShapePoint point) {
    part_.sample.push_back(point);
    if (part_.sample.size() < 2 * size_t(kShapeSample)) return;
    for (size_t i = 0; i < size_t(kShapeSample); ++i) part_.sample[i] = part_.sample[2 * i];
    part_.sample.resize(size_t(kShapeSample));
    stride_ *= 2;
  }

  ShapePart part_;
  int64_t stride_ = 1;
  double sum_x_ = 0, sum_y_ = 0, sum_squares_ = 0;
};

// The squared distance along each column to the nearest drawn pixel (0 in
// `squared`), at most kFar: one pass down and one up.
std::vector<uint8_t> ColumnDistances(const std::vector<uint8_t>& squared, int width, int height) {
  std::vector<uint8_t> column(squared.size());
  std::vector<int> run(size_t(width), kFarSteps);
  const auto step = [&](int y) {
    for (int x = 0; x < width; ++x) {
      const size_t i = size_t(y) * size_t(width) + size_t(x);
      int& steps = run[size_t(x)];
      steps = squared[i] == 0 ? 0 : std::min(steps + 1, kFarSteps);
      column[i] = std::min<uint8_t>(column[i], uint8_t(std::min(steps * steps, int(kFar))));
    }
  };
  std::fill(column.begin(), column.end(), kFar);
  for (int y = 0; y < height; ++y) step(y);
  std::fill(run.begin(), run.end(), kFarSteps);
  for (int y = height - 1; y >= 0; --y) step(y);
  return column;
}

// One row of the exact squared distance from the columns' (the lower
// envelope of the parabolas x -> (x - q)^2 + f(q)), clipped at kFar.
void RowDistances(const uint8_t* f, int width, uint8_t* out, std::vector<int>& v,
                  std::vector<double>& z) {
  const auto meet = [&](int q, int p) {
    return ((f[q] + double(q) * q) - (f[p] + double(p) * p)) / (2.0 * q - 2.0 * p);
  };
  int k = 0;
  v[0] = 0;
  z[0] = -std::numeric_limits<double>::infinity();
  z[1] = std::numeric_limits<double>::infinity();
  for (int q = 1; q < width; ++q) {
    double s = meet(q, v[size_t(k)]);
    while (s <= z[size_t(k)]) s = meet(q, v[size_t(--k)]);
    v[size_t(++k)] = q;
    z[size_t(k)] = s;
    z[size_t(k) + 1] = std::numeric_limits<double>::infinity();
  }
  k = 0;
  for (int q = 0; q < width; ++q) {
    while (z[size_t(k) + 1] < q) ++k;
    const int p = v[size_t(k)];
    out[q] = uint8_t(std::min<int64_t>(int64_t(q - p) * (q - p) + f[p], kFar));
  }
}

void Distances(std::vector<uint8_t>& squared, int width, int height) {
  const std::vector<uint8_t> column = ColumnDistances(squared, width, height);
  std::vector<int> v(static_cast<size_t>(width));
  std::vector<double> z(static_cast<size_t>(width) + 1);
  for (int y = 0; y < height; ++y) {
    const size_t row = size_t(y) * size_t(width);
    RowDistances(column.data() + row, width, squared.data() + row, v, z);
  }
}

}  // namespace

DrawnShape::DrawnShape(PixelView picture, uint32_t background_colour)
    : width_(picture.width), height_(picture.height) {
  squared_.resize(size_t(width_) * size_t(height_));
  PartBuilder whole;
  for (int y = 0; y < height_; ++y) {
    const uint32_t* line = picture.pixels + y * picture.stride;
    for (int x = 0; x < width_; ++x) {
      const bool drawn = ColourOf(line[x]) != (background_colour & 0xFFFFFF);
      squared_[size_t(y) * size_t(width_) + size_t(x)] = drawn ? 0 : kFar;
      if (drawn) whole.Add(x, y);
    }
  }
  whole_ = whole.Finish();
  if (Empty()) return;
  FindPieces();
  Distances(squared_, width_, height_);
}

float DrawnShape::DistanceAt(double x, double y) const {
  static const std::array<float, 256> kRoots = [] {
    std::array<float, 256> roots{};
    for (size_t i = 0; i < roots.size(); ++i) roots[i] = std::sqrt(float(i));
    roots[kFar] = std::numeric_limits<float>::infinity();
    return roots;
  }();
  const double column = std::floor(x + 0.5), row = std::floor(y + 0.5);
  if (!(column >= 0 && row >= 0 && column < width_ && row < height_)) {
    return std::numeric_limits<float>::infinity();
  }
  return kRoots[Squared(int(column), int(row))];
}

void DrawnShape::FindPieces() {
  std::vector<bool> seen(squared_.size());
  std::vector<size_t> stack;
  for (size_t first = 0; first < squared_.size(); ++first) {
    if (squared_[first] != 0 || seen[first]) continue;
    if (ShapePart part = WalkPiece(first, seen, stack); part.count >= kLeastPiece) {
      pieces_.push_back(std::move(part));
    }
  }
  std::stable_sort(pieces_.begin(), pieces_.end(),
                   [](const ShapePart& a, const ShapePart& b) { return a.count > b.count; });
  if (pieces_.size() > kMostPieces) pieces_.resize(kMostPieces);
}

// The piece of drawn pixels joined to `first`, walked depth first; marks
// them in `seen`.
ShapePart DrawnShape::WalkPiece(size_t first, std::vector<bool>& seen,
                                std::vector<size_t>& stack) const {
  PartBuilder piece;
  seen[first] = true;
  stack.assign(1, first);
  while (!stack.empty()) {
    const size_t at = stack.back();
    stack.pop_back();
    const int x = int(at % size_t(width_)), y = int(at / size_t(width_));
    piece.Add(x, y);
    for (int ny = std::max(y - 1, 0); ny <= std::min(y + 1, height_ - 1); ++ny) {
      for (int nx = std::max(x - 1, 0); nx <= std::min(x + 1, width_ - 1); ++nx) {
        const size_t next = size_t(ny) * size_t(width_) + size_t(nx);
        if (squared_[next] != 0 || seen[next]) continue;
        seen[next] = true;
        stack.push_back(next);
      }
    }
  }
  return piece.Finish();
}

}  // namespace dravel
