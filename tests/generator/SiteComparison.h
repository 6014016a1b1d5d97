#pragma once

// One generation of a project in a folder of its own, with everything a caller can see of it
// afterwards recorded, so that generations with different numbers of threads can be compared.
// The folder gets the same themes every time: "template" and "blue" (folders), "packed.zip" and
// "damaged.zip" (archives; the style sheet of the latter fails its CRC check when it is read).
// NOW is fixed, and nothing is written outside the folder.

#include <QString>

#include <map>
#include <string>
#include <vector>

struct TGeneratorWarning;

struct TGenerationRecord {
  int Result = 0;
  std::string Error;                         // the message of what was raised, or empty
  std::string ErrorSubject;
  std::map<std::string, std::string> Files;  // every file below the folder, by relative path
  std::vector<std::string> Written;
  std::vector<std::string> Warnings;  // as Describe gives them
  std::string IndexPage;
  int ErrorLine = 0;
  std::string Title;  // the variable "title" afterwards
};

class TSiteComparison {
 public:
  // Empties folder, writes the themes into it and generates text there with threads.
  static TGenerationRecord Generate(const std::string& text, int threads, const QString& folder);
  // The first difference between two records, described; empty when they are the same.
  static std::string Difference(const TGenerationRecord& a, const TGenerationRecord& b);
  // "LINE theme NAME", "LINE outside NAME", "LINE repeated NAME FIRST-LINE", "LINE template NAME".
  static std::string Describe(const TGeneratorWarning& warning);

 private:
  static void WriteThemes(const QString& folder);
  static std::map<std::string, std::string> FileTree(const QString& folder);
};
