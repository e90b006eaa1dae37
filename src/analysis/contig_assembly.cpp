// Reads laid on each other: every pair scored on both strands, groups joined greedily along the
// best overlaps, a draft merged from each group, and the group laid on it as on a reference.
#include "analysis/contig_assembly.h"

#include <algorithm>
#include <iterator>
#include <utility>

#include "analysis/contig_layout.h"
#include "analysis/exact_alignment.h"

namespace vistrel {

namespace {

struct Overlap {
  int score = 0;
  std::int32_t a = 0, b = 0;
  bool flipped = false;  ///< b's reverse complement overlaps a
};

/// Groups of reads with each read's strand relative to its group's root.
class Groups {
 public:
  explicit Groups(std::size_t count) : parent_(count), flipped_(count, false) {
    for (std::size_t i = 0; i < count; ++i) parent_[i] = static_cast<std::int32_t>(i);
  }

  /// The root of `read`'s group and whether `read` lies reversed against it.
  std::pair<std::int32_t, bool> find(std::int32_t read) {
    bool flipped = false;
    std::int32_t root = read;
    while (parent_[static_cast<std::size_t>(root)] != root) {
      flipped ^= flipped_[static_cast<std::size_t>(root)];
      root = parent_[static_cast<std::size_t>(root)];
    }
    // Point the read at its root directly, so later look-ups are short.
    parent_[static_cast<std::size_t>(read)] = root;
    flipped_[static_cast<std::size_t>(read)] = flipped;
    return {root, flipped};
  }

  /// Joins the groups of `o.a` and `o.b`; false when they are one already.
  bool join(const Overlap& o) {
    const auto [rootA, flippedA] = find(o.a);
    const auto [rootB, flippedB] = find(o.b);
    if (rootA == rootB) return false;
    parent_[static_cast<std::size_t>(rootB)] = rootA;
    flipped_[static_cast<std::size_t>(rootB)] = flippedA ^ flippedB ^ o.flipped;
    return true;
  }

 private:
  std::vector<std::int32_t> parent_;
  std::vector<bool> flipped_;
};

bool accepted(const OverlapScore& s, const ContigOptions& options) {
  return s.score > 0 && s.columns >= options.minOverlap &&
         s.matches >= options.minIdentity * s.columns;
}

/// Every overlap that passes, best first (the lower reads first among equal scores).
std::vector<Overlap> overlapsOf(const std::vector<std::string>& forward,
                                const std::vector<std::string>& reverse,
                                const std::vector<std::int32_t>& usable,
                                const ContigOptions& options) {
  std::vector<Overlap> found;
  for (std::size_t i = 0; i < usable.size(); ++i) {
    for (std::size_t j = i + 1; j < usable.size(); ++j) {
      const auto a = static_cast<std::size_t>(usable[i]), b = static_cast<std::size_t>(usable[j]);
      OverlapScore same, flipped;
      if (!scoreOverlap(forward[a], forward[b], same)) continue;
      if (!scoreOverlap(forward[a], reverse[b], flipped)) continue;
      const bool useFlipped = flipped.score > same.score;
      const OverlapScore& best = useFlipped ? flipped : same;
      if (accepted(best, options)) found.push_back({best.score, usable[i], usable[j], useFlipped});
    }
  }
  std::stable_sort(found.begin(), found.end(),
                   [](const Overlap& x, const Overlap& y) { return x.score > y.score; });
  return found;
}

/// Merges `read` into `draft`: the letters of the read beyond either end of the draft, where
/// their best overlap puts them, are added there.
void mergeInto(const std::string& read, std::string& draft) {
  std::vector<OverlapColumn> columns;
  if (!traceOverlap(read, draft, columns)) return;
  auto paired = [](const OverlapColumn& c) { return c.a >= 0 && c.b >= 0; };
  const auto first = std::find_if(columns.begin(), columns.end(), paired);
  if (first == columns.end()) return;
  const auto last = std::find_if(columns.rbegin(), columns.rend(), paired);
  const std::string before =
      first->b == 0 ? read.substr(0, static_cast<std::size_t>(first->a)) : std::string();
  const std::string after = static_cast<std::size_t>(last->b) + 1 == draft.size()
                                ? read.substr(static_cast<std::size_t>(last->a) + 1)
                                : std::string();
  draft = before + draft + after;
}

/// The group's reads in the order they join the draft: from `first` along the overlaps that
/// joined the group, each read after one it overlaps.
std::vector<std::int32_t> joiningOrder(std::int32_t first, const std::vector<Overlap>& joins) {
  std::vector<std::int32_t> order{first};
  std::vector<bool> taken(joins.size(), false);
  for (std::size_t next = 0; next < order.size(); ++next) {
    for (std::size_t k = 0; k < joins.size(); ++k) {
      if (taken[k] || (joins[k].a != order[next] && joins[k].b != order[next])) continue;
      taken[k] = true;
      order.push_back(joins[k].a == order[next] ? joins[k].b : joins[k].a);
    }
  }
  return order;
}

/// The group's reads laid on `frame`; a read that does not align to it is left out.
Contig layOnFrame(const std::vector<ContigInput>& reads, const std::vector<std::int32_t>& members,
                  const std::string& frame, std::vector<UnplacedRead>* unplaced) {
  const PreparedReference prepared(frame);
  ContigOptions anyAlignment;
  anyAlignment.minAligned = 1;
  anyAlignment.minIdentity = 0.0;
  std::vector<LaidRead> laid;
  for (const std::int32_t m : members) {
    ContigAlignment a = alignContigRead(reads[static_cast<std::size_t>(m)], prepared,
                                        static_cast<std::int32_t>(frame.size()), anyAlignment);
    if (a.alignment) {
      laid.push_back({m, std::move(*a.alignment)});
    } else if (unplaced != nullptr) {
      unplaced->push_back({m, a.reason});
    }
  }
  return layContig(reads, laid, frame, false, false);
}

}  // namespace

ContigSet assembleContigs(const std::vector<ContigInput>& reads, const ContigOptions& options) {
  ContigSet set;
  std::vector<std::string> forward(reads.size()), reverse(reads.size());
  std::vector<std::int32_t> usable;
  for (std::size_t i = 0; i < reads.size(); ++i) {
    const ContigInput& r = reads[i];
    const auto input = static_cast<std::int32_t>(i);
    if (r.region.start < 0 || r.region.start >= r.region.end ||
        static_cast<std::size_t>(r.region.end) > r.letters.size()) {
      set.unplaced.push_back({input, "no good region"});
      continue;
    }
    for (std::int32_t k = r.region.start; k < r.region.end; ++k) {
      forward[i] += alignableLetter(r.letters[static_cast<std::size_t>(k)]);
    }
    reverse[i] = reverseComplementOf(forward[i]);
    usable.push_back(input);
  }

  Groups groups(reads.size());
  std::vector<Overlap> joins;
  for (const Overlap& o : overlapsOf(forward, reverse, usable, options)) {
    if (groups.join(o)) joins.push_back(o);
  }
  std::vector<bool> done(reads.size(), false);
  for (const std::int32_t first : usable) {
    if (done[static_cast<std::size_t>(first)]) continue;
    const std::int32_t root = groups.find(first).first;
    std::vector<Overlap> own;
    std::copy_if(joins.begin(), joins.end(), std::back_inserter(own),
                 [&](const Overlap& o) { return groups.find(o.a).first == root; });
    const std::vector<std::int32_t> members = joiningOrder(first, own);
    const bool firstFlipped = groups.find(first).second;
    std::string draft;
    for (const std::int32_t m : members) {
      done[static_cast<std::size_t>(m)] = true;
      const bool flipped = groups.find(m).second != firstFlipped;
      const std::string& letters =
          flipped ? reverse[static_cast<std::size_t>(m)] : forward[static_cast<std::size_t>(m)];
      if (draft.empty()) {
        draft = letters;
      } else {
        mergeInto(letters, draft);
      }
    }
    // The merge keeps whichever read's letters came first; laying the reads again on the
    // consensus of the first layout gives a frame the reads agree on.
    const std::string consensus = layOnFrame(reads, members, draft, nullptr).consensusLetters();
    Contig contig =
        layOnFrame(reads, members, consensus.empty() ? draft : consensus, &set.unplaced);
    contig.name = reads[static_cast<std::size_t>(first)].name;
    set.contigs.push_back(std::move(contig));
  }
  std::sort(set.unplaced.begin(), set.unplaced.end(),
            [](const UnplacedRead& x, const UnplacedRead& y) { return x.input < y.input; });
  return set;
}

}  // namespace vistrel
