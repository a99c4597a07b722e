#include "icc/icc_types.h"

#include "base/memory.h"

namespace qclr {

GammaCurve* AllocGammaCurve(int32_t count) {
  if (count < 0) return nullptr;
  const size_t bytes = sizeof(GammaCurve) + static_cast<size_t>(count) * sizeof(uint16_t);
  auto* curve = static_cast<GammaCurve*>(MemAlloc(bytes));
  if (curve == nullptr) return nullptr;
  curve->count = count;
  curve->entries = reinterpret_cast<uint16_t*>(curve + 1);
  return curve;
}

void FreeGammaCurve(GammaCurve* curve) { MemFree(curve); }

void FreeLutTable(LutTable* table) {
  if (table == nullptr) return;
  for (int i = 0; i < kMaxLutChannels; ++i) {
    MemFree(table->inputCurves[i]);
    MemFree(table->outputCurves[i]);
  }
  MemFree(table->grid);
  MemFree(table);
}

}  // namespace qclr
