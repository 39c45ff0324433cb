// SPDX-License-Identifier: MIT
// Test support: a document opened straight at its body, so that a test sees
// only what the body writers put into it.
#pragma once

#include <string>

#include "html/document.h"
#include "support/files.h"
#include "support/temp_folder.h"

namespace testing_support {

/// A document file opened without a head.
struct BodyDocument {
  TempFolder folder{"body"};
  DocumentState doc;

  BodyDocument() {
    doc.htmlPath = folder.Path("body.htm");
    doc.output.Open(doc.htmlPath);
  }
  /// Closes the document and returns everything written to it.
  std::string Close() {
    doc.output.Close();
    return ReadFileBytes(doc.htmlPath);
  }
};

}  // namespace testing_support
