#include "text/text.h"

#include "platform/fatal.h"

void RunTimeError(const char* what) { ShowFatalErrorAndExit(what); }

const Text& TextArray::Member(int index) const {
  if (index < 1 || index > Count()) RunTimeError("数组成员索引超出范围");
  return members_[static_cast<std::size_t>(index - 1)];
}

void TextArray::Append(Text member) { members_.push_back(std::move(member)); }
