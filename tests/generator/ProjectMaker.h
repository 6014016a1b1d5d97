#pragma once

// Random projects that use what makes a generation depend on its order: sections met twice
// (in other letter case too), fragments and templates made of fragments, variables set for later
// pages and for other sections, INDEX and NAME, theme changes and resources, the output folder
// and the character set moved between pages, substitution off, include and raw files, names
// that lead out of the output folder or cannot be written, braces in markup and in values, and
// now and then an error or a damaged theme archive. The themes are those TSiteComparison writes.

#include <cstdint>
#include <random>
#include <string>
#include <vector>

class TProjectMaker {
 public:
  explicit TProjectMaker(uint32_t seed) : Random(seed) {}

  std::string Make();

 private:
  std::mt19937 Random;

  const std::string& Pick(const std::vector<std::string>& choices);
  bool Chance(int percent) { return static_cast<int>(Random() % 100) < percent; }
  std::string SectionHeader();
  std::string SectionLine();
};
