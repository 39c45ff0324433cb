// A fresh folder for one test, removed with everything in it afterwards.
#pragma once

#include <string>

class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  /// The folder as the core names paths (no final separator).
  const std::string& path() const { return path_; }

  /// `name` inside the folder, joined with a backslash as the core joins paths.
  std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

 private:
  std::string path_;
};
