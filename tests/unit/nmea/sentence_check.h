// Reading a written sentence back as a receiver would: its fields, and a
// check of its framing (length, "*", checksum, CR LF).
#pragma once
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "nmea/sentence_writer.h"

namespace sentence_check {

// The fields between the start character and "*", split at commas; the
// address is field 0.
inline std::vector<std::string> Fields(const std::string& sentence) {
  std::vector<std::string> fields(1);
  for (size_t i = 1; i < sentence.size() && sentence[i] != '*'; ++i) {
    if (sentence[i] == ',')
      fields.emplace_back();
    else
      fields.back() += sentence[i];
  }
  return fields;
}

inline void ExpectWellFramed(const std::string& sentence, const std::string& what) {
  EXPECT_LE(sentence.size(), static_cast<size_t>(kSentenceMaxChars)) << what;
  ASSERT_GE(sentence.size(), 6u) << what;
  EXPECT_TRUE(sentence[0] == '!' || sentence[0] == '$') << what;
  EXPECT_EQ(sentence.substr(sentence.size() - 2), "\r\n") << what;
  const size_t star = sentence.find('*');
  ASSERT_EQ(star, sentence.size() - 5) << what;
  char hex[3];
  snprintf(hex, sizeof hex, "%02X", SentenceChecksum(sentence.data() + 1, static_cast<int>(star) - 1));
  EXPECT_EQ(sentence.substr(star + 1, 2), hex) << what;
}

}  // namespace sentence_check
