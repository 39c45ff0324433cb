// SPDX-License-Identifier: MIT
// Directory levels, free document names and the plain-file test.
#include "fs/paths.h"

#include <utility>

#include "platform/trace.h"

namespace {

// A small explicit generator (SplitMix64): every naming attempt seeds its
// own, so nothing is carried from one attempt or call to the next.
struct NameGenerator {
  uint64_t state;
};

uint64_t NextBits(NameGenerator& generator) {
  uint64_t z = (generator.state += 0x9E3779B97F4A7C15u);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
  return z ^ (z >> 31);
}

// Uniform in [0, 1), from the upper 53 bits.
double NextUniform(NameGenerator& generator) {
  return static_cast<double>(NextBits(generator) >> 11) * (1.0 / 9007199254740992.0);
}

// One of 0-9, A-Z with equal chances.
char RandomNameCharacter(NameGenerator& generator) {
  int k = static_cast<int>(36.0 * NextUniform(generator));
  if (k > 35) k = 35;
  k += 48;
  if (k >= 58) k += 7;
  return static_cast<char>(k);
}

// Hands each level of `path` to `create`, outermost first. One level is held
// at a time, so a path of many separators costs no more memory than itself.
template <typename Create>
void WalkDirectoryLevels(const ByteString& path, Create create) {
  const ByteString scanned = path + '\\';
  const size_t significant = TrimTrailingBlanks(path).size();
  // p counts from 1 and stands just after the drive colon (or at the start);
  // the next level ends at the first backslash after position p.
  size_t colon = path.find(':');
  size_t p = colon == ByteString::npos ? 1 : colon + 2;
  do {
    size_t q = scanned.find('\\', p);  // index p is position p + 1
    // Every later level is longer still, and none of them could be made;
    // no backslash left (npos) is past the longest path as well.
    if (q > kLongestDirectoryPath) break;
    create(scanned.substr(0, q));
    p = q + 1;
  } while (p < significant);
}

}  // namespace

std::vector<ByteString> DirectoryLevels(const ByteString& path) {
  std::vector<ByteString> levels;
  WalkDirectoryLevels(path, [&levels](ByteString level) { levels.push_back(std::move(level)); });
  return levels;
}

void MakeDirectoryPath(const ByteString& path) {
  WalkDirectoryLevels(path, [](const ByteString& level) {
    if (platform::MakeDirectory(level))
      platform::Trace("folder ", level, ": made");
    else
      platform::Trace("folder ", level, ": not made: ", platform::LastFailure());
  });
}

bool IsPlainFileAttributes(unsigned attributes) {
  unsigned type = attributes & (platform::kVolumeLabel | platform::kDirectory | platform::kArchive);
  if (type == 0) type = platform::kArchive;
  unsigned restricted = attributes & (platform::kReadOnly | platform::kHidden | platform::kSystem);
  return (type & platform::kArchive) != 0 && restricted == 0;
}

bool PlainFileExists(const ByteString& path) {
  unsigned attributes = 0;
  if (!platform::FindEntryAttributes(path, &attributes)) return false;
  return IsPlainFileAttributes(attributes);
}

uint64_t UniqueNameSeed(const platform::LocalTime& time, uint32_t processId, uint64_t random, uint32_t attempt) {
  long long seconds = (static_cast<long long>(time.hour) * 60 + time.minute) * 60 + time.second;
  long long hundredths = seconds * 100 + time.millisecond / 10;
  if (hundredths < 0) hundredths = 0;
  // An odd multiplier spreads the count over all 64 bits; the generator's
  // own mixing does the rest.
  return ((static_cast<uint64_t>(processId) << 32) | (static_cast<uint64_t>(hundredths) & 0xFFFFFFFFu)) ^ random ^
         (attempt * 0xD1B54A32D192ED03u);
}

ByteString BuildUniqueFileName(const ByteString& directory, const ByteString& prefix, const ByteString& extension,
                               uint64_t seed) {
  ByteString name = WithSeparator(TrimBlanks(directory), /*slashCounts=*/true);
  const ByteString x = TrimBlanks(prefix).substr(0, 3);
  ByteString e = TrimBlanks(extension);
  if (!e.empty() && e[0] == '.') e.erase(0, 1);

  name += x;
  NameGenerator generator{seed};
  for (size_t n = x.size(); n < 8; ++n) name += RandomNameCharacter(generator);
  if (!e.empty()) name += '.' + e.substr(0, 3);
  return name;
}

ByteString MakeUniqueFileName(const ByteString& directory, const ByteString& prefix, const ByteString& extension,
                              NameSource& source) {
  for (;;) {
    const uint64_t seed =
        UniqueNameSeed(platform::GetLocalTime(), platform::ProcessId(), source.random, source.attempts++);
    ByteString name = BuildUniqueFileName(directory, prefix, extension, seed);
    if (!PlainFileExists(name)) {
      platform::Trace("document named ", name);
      return name;
    }
    platform::Trace("document name ", name, " is taken");
  }
}
