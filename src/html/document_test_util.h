// Test support for the document writers: the bytes of a written file, and a
// document opened straight at its body.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>

#include "html/document.h"
#include "platform/platform.h"
#include "testing/temp_folder.h"

/// The whole file, or the empty text when it cannot be read.
inline std::string ReadFileBytes(const std::string& nativePath) {
  std::ifstream in(nativePath, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

/// True when something exists under the path.
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
