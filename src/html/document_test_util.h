// Test support for the document writers: a temporary folder per test, the
// bytes of a written file, and a document opened straight at its body.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>

#include "html/document.h"
#include "platform/platform.h"

/// A fresh folder under the test temporary folder, removed with its
/// contents (after every file is closed) when the object goes.
class TempFolder {
 public:
  explicit TempFolder(const std::string& tag) {
    static int serial = 0;
    base_ = ::testing::TempDir() + "orvhtml_" + tag + "_" + std::to_string(platform::ProcessId()) + "_" +
            std::to_string(++serial);
    std::error_code ec;
    std::filesystem::remove_all(base_, ec);
    std::filesystem::create_directories(base_, ec);
  }
  ~TempFolder() {
    platform::CloseAllFiles();
    std::error_code ec;
    std::filesystem::remove_all(base_, ec);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  /// The path of a file in the folder as the program writes paths.
  std::string Path(const std::string& file) const { return base_ + "\\" + file; }
  /// The same file as the test's own library names it.
  std::string NativePath(const std::string& file) const { return base_ + "/" + file; }

 private:
  std::string base_;
};

/// The whole file, or the empty text when it cannot be read.
inline std::string ReadFileBytes(const std::string& nativePath) {
  std::ifstream in(nativePath, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline bool FileExists(const std::string& nativePath) {
  std::error_code ec;
  return std::filesystem::exists(nativePath, ec);
}

/// A document file opened without a head, so that a test sees only what
/// the body writers put into it.
struct BodyDocument {
  TempFolder folder{"body"};
  DocumentState doc;

  BodyDocument() {
    doc.htmlPath = folder.Path("body.htm");
    OpenDocumentFile(doc);
  }
  /// Closes the document and returns everything written to it.
  std::string Close() {
    CloseDocumentFile(doc);
    return ReadFileBytes(folder.NativePath("body.htm"));
  }
};
