// Version 4 multi-stage tables: 'mAB ' and 'mBA '.
#include <cstddef>
#include <cstdint>

#include "base/memory.h"
#include "base/owned.h"
#include "icc/icc_signatures.h"
#include "icc/icc_tag_readers.h"
#include "icc/lut_ab.h"

namespace qclr {
namespace {

// The table's head: channel counts and the offsets (from the start of the tag) of
// its elements, 0 for an absent element. Both types store them in this order.
struct Head {
  uint8_t inputs, outputs;
  uint32_t b, matrix, m, grid, a;
};

bool ReadHead(IccByteReader* reader, Head* head) {
  uint16_t reserved;
  return reader->ReadU8(&head->inputs) && reader->ReadU8(&head->outputs) && reader->ReadU16(&reserved) &&
         reader->ReadU32(&head->b) && reader->ReadU32(&head->matrix) && reader->ReadU32(&head->m) &&
         reader->ReadU32(&head->grid) && reader->ReadU32(&head->a);
}

// The format allows these combinations, in either direction: B curves alone; M
// curves and the matrix with them; A curves and the grid with them; all five. The
// matrix and the M curves work on three channels; without a grid the two sides
// have the same channel count.
bool ShapeAllowed(const Head& h, bool toPcs) {
  const int pcsChannels = toPcs ? h.outputs : h.inputs;
  if (h.inputs < 1 || h.inputs > kMaxLutChannels || h.outputs < 1 || h.outputs > kMaxLutChannels) return false;
  if (h.b == 0 || (h.a == 0) != (h.grid == 0) || (h.m == 0) != (h.matrix == 0)) return false;
  if (h.matrix != 0 && pcsChannels != 3) return false;
  return h.grid != 0 || h.inputs == h.outputs;
}

// `count` curves ('curv' or 'para') back to back from `reader`'s position, each
// starting on a 4-byte boundary of the tag.
bool ReadCurves(IccByteReader reader, int32_t count, GammaCurve** curves) {
  for (int32_t c = 0; c < count; ++c) {
    const size_t start = reader.Position();
    curves[c] = IccReadCurveElement(&reader);
    if (curves[c] == nullptr) return false;
    const size_t length = reader.Position() - start;
    reader = reader.At(start + ((length + 3) & ~size_t{3}));
  }
  return true;
}

bool ReadMatrix(IccByteReader reader, int32_t matrix[12]) {
  for (int i = 0; i < 12; ++i) {
    if (!reader.ReadS32(&matrix[i])) return false;
  }
  return true;
}

// The grid: points per input (16 bytes, one per possible input), the precision
// (1 or 2 bytes a value), three reserved bytes, then the values.
bool ReadGrid(IccByteReader reader, LutAB* t) {
  const uint8_t* points = reader.Take(16);
  uint8_t precision, reserved[3];
  if (points == nullptr || !reader.ReadU8(&precision) || !reader.ReadU8(&reserved[0]) ||
      !reader.ReadU8(&reserved[1]) || !reader.ReadU8(&reserved[2])) {
    return false;
  }
  if (precision != 1 && precision != 2) return false;
  // Bounded by the bytes there are before each multiplication, so nothing overflows.
  const size_t available = reader.Remaining() / precision;
  size_t values = static_cast<size_t>(t->outputs);
  for (int32_t i = 0; i < t->inputs; ++i) {
    if (points[i] == 0 || values > available / points[i]) return false;
    values *= points[i];
    t->gridPoints[i] = points[i];
  }
  t->grid = static_cast<uint16_t*>(MemAlloc(values * sizeof(uint16_t)));
  if (t->grid == nullptr) return false;
  for (size_t i = 0; i < values; ++i) {
    if (precision == 2) {
      reader.ReadU16(&t->grid[i]);
    } else {
      uint8_t b = 0;
      reader.ReadU8(&b);
      t->grid[i] = static_cast<uint16_t>(b * 257);
    }
  }
  return true;
}

bool ReadElements(const IccByteReader& tag, const Head& h, LutAB* t) {
  const int32_t device = t->toPcs ? h.inputs : h.outputs;
  const int32_t pcs = t->toPcs ? h.outputs : h.inputs;
  return ReadCurves(tag.At(h.b), pcs, t->bCurves) && (h.matrix == 0 || ReadMatrix(tag.At(h.matrix), t->matrix)) &&
         (h.m == 0 || ReadCurves(tag.At(h.m), 3, t->mCurves)) && (h.grid == 0 || ReadGrid(tag.At(h.grid), t)) &&
         (h.a == 0 || ReadCurves(tag.At(h.a), device, t->aCurves));
}

}  // namespace

LutAB* IccReadLutAB(const IccProfile* profile, uint32_t signature) {
  IccByteReader reader;
  uint32_t type;
  if (IccOpenTag(profile, signature, &reader, &type) != 1) return nullptr;
  if (type != kIccTypeLutAToB && type != kIccTypeLutBToA) return nullptr;
  const IccByteReader tag = reader.At(0);
  Head head;
  const bool toPcs = type == kIccTypeLutAToB;
  if (!ReadHead(&reader, &head) || !ShapeAllowed(head, toPcs)) return nullptr;

  auto table = CallocRecord<OwnedLutAB>();
  if (table == nullptr) return nullptr;
  table->toPcs = toPcs;
  table->labPcs = IccGetConnectionSpace(profile) == kIccSpaceLab;
  table->inputs = head.inputs;
  table->outputs = head.outputs;
  table->hasMatrix = head.matrix != 0;
  if (!ReadElements(tag, head, table.get())) return nullptr;
  return table.release();
}

}  // namespace qclr
