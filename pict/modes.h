// pict/modes.h: QuickDraw's transfer modes, the numbers pictures store.
#pragma once

namespace pict {

enum TransferMode : int {
  kSrcCopy = 0,
  kSrcOr = 1,
  kSrcXor = 2,
  kSrcBic = 3,
  kNotSrcCopy = 4,
  kNotSrcOr = 5,
  kNotSrcXor = 6,
  kNotSrcBic = 7,
  kPatCopy = 8,
  kPatOr = 9,
  kPatXor = 10,
  kPatBic = 11,
  kNotPatCopy = 12,
  kNotPatOr = 13,
  kNotPatXor = 14,
  kNotPatBic = 15,
  kBlend = 32,
  kAddPin = 33,
  kAddOver = 34,
  kSubPin = 35,
  kTransparent = 36,
  kAddMax = 37,
  kSubOver = 38,
  kAdMin = 39,
  kGrayishTextOr = 49,
  kHilite = 50,
  kDitherCopy = 64,
};

}  // namespace pict
