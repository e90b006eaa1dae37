// The reference row. The alignment runs in reference order; the row is laid out in the read's.
#include "app/reference_row.h"

namespace vistrel {

void takeReference(ReferenceState& state, std::optional<Reference> reference) {
  state.current.reset();
  if (reference) state.current = std::make_shared<const WindowReference>(std::move(*reference));
  state.number += 1;
}

ReferenceRow referenceRowOf(const ReadCheck& check, std::int32_t baseCount) {
  ReferenceRow row(static_cast<std::size_t>(baseCount));
  const bool reverse = check.alignment.reverse;
  std::int32_t position = check.alignment.referenceStart;
  ReferenceMark* previous = nullptr;  // the mark of the read base of the latest column
  bool missing = false;               // reference letters the read lacks, not yet placed
  for (const AlignedColumn& column : check.alignment.columns) {
    if (column.referenceIndex >= 0) position = column.referenceIndex + 1;
    if (column.readIndex < 0) {
      // In the read's orientation the gap lies before the next read base on the forward
      // strand, before the previous one (in reference order) on the reverse strand.
      if (reverse && previous != nullptr) previous->gapBefore = true;
      missing = !reverse;
      continue;
    }
    ReferenceMark& mark = row[static_cast<std::size_t>(column.readIndex)];
    mark.letter = reverse
                      ? static_cast<char>(complementOf(static_cast<std::uint8_t>(column.reference)))
                      : column.reference;
    mark.position = position;
    mark.differs = isDifference(column);
    mark.gapBefore = mark.gapBefore || missing;
    missing = false;
    previous = &mark;
  }
  return row;
}

}  // namespace vistrel
