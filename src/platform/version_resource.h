#pragma once
#include <stdexcept>
#include <string>
#include <vector>

// Reads a file's version resource. The constructor throws VersionResourceAbsent when the file
// has no resource or no translation; callers treat that as "no version".
struct VersionResourceAbsent : std::runtime_error {
  VersionResourceAbsent() : std::runtime_error("no version resource") {}
};

class TVerInfoRes {
 public:
  enum Name {
    CompanyName,
    FileDescription,
    FileVersion,
    OriginalFilename,
    ProductName,
    ProductVersion
  };
  explicit TVerInfoRes(const std::string& fileName);
  std::string Value(Name name) const;  // empty when the string is absent

 private:
  std::vector<char> data_;
  unsigned language_ = 0, codePage_ = 0;
};

// "00.00.00.00" without a readable resource, "00.00.00.01" when the string is empty.
std::string FileVersionText(const std::string& fileName);
std::string ProductVersionText(const std::string& fileName);
