#pragma once
// Documents that the reading rule alone would read wrong without a word, and
// ones it reads whole: the editor's open and kumodo-export both meet them.
#include <string>
#include <vector>

namespace kumodo::misread_documents {

struct Document {
  const char* name;
  std::string bytes;
  const char* cause;  // the reason's English, or nothing when it is read whole
  const char* text;   // read whole: the CSV text a save writes back
};

inline const std::string kTwoRecords = "1,10,20,300,40,7,0,1\r\n8,5,5,0,0,3,0,1\r\n";

inline std::vector<Document> Documents() {
  return {
      {"cr.csv", "1,10,20,300,40,7,0,1\r8,5,5,0,0,3,0,1\r", "lines end in CR without LF", nullptr},
      {"crcrlf.csv", "1,10,20,300,40,7,0,1\r\r\n8,5,5,0,0,3,0,1\r\r\n", "lines end in CR CR LF", nullptr},
      // Not "nul.csv": on Windows that name is the NUL device, whatever the extension.
      {"nul-byte.csv", "1,10,20,300,40,7,0,1\r\n" + std::string(1, '\0') + "8,5,5,0,0,3,0,1\r\n",
       "not a document: control byte 0x00 at offset 22", nullptr},
      {"picture.csv", std::string("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16), "not a document: control byte 0x1A at offset 6",
       nullptr},
      {"words.csv", "hello,world\r\n", "no records read", nullptr},
      {"bom.csv", "\xEF\xBB\xBF" + kTwoRecords, nullptr, kTwoRecords.c_str()},
      {"unended.csv", "1,10,20,300,40,7,0,1\r\n8,5,5,0,0,3,0,1", nullptr, kTwoRecords.c_str()},
      {"one-unended.csv", "8,5,5,0,0,3,0,1", nullptr, "8,5,5,0,0,3,0,1\r\n"},
  };
}

}  // namespace kumodo::misread_documents
