#include "jobs/JobOutput.h"

namespace qm {

bool IsProgressLine(std::string_view line) {
  return line.find("Compressing hunk ") != std::string_view::npos ||
         line.find("% complete") != std::string_view::npos;
}

void JobOutput::Feed(std::string_view chunk) {
  for (char c : chunk) {
    if (cr_) {
      cr_ = false;
      // "\r\n" ends a line; a lone "\r" lets the next line overwrite this one.
      EndLine(c != '\n');
      if (c == '\n') continue;
    }
    if (c == '\r') {
      cr_ = true;
    } else if (c == '\n') {
      EndLine(false);
    } else {
      if (line_.size() >= kPart) EndLine(false);  // an endless line is stored in pieces
      line_ += c;
    }
  }
}

void JobOutput::EndLine(bool overwritten) {
  if (overwritten || IsProgressLine(line_)) {
    // Only a line that is not progress, or the end, shows a held line.
    if (!line_.empty()) held_ = std::move(line_);
  } else {
    if (!held_.empty()) Store(held_ + "\n");
    held_.clear();
    Store(line_ + "\n");
  }
  line_.clear();
}

void JobOutput::Store(std::string_view text) {
  if (head_.size() < kPart && tail_.empty()) {
    const std::size_t room = kPart - head_.size();
    head_.append(text.substr(0, room));
    if (text.size() <= room) return;
    text.remove_prefix(room);
  }
  tail_.append(text);
  // Trimmed in halves, so each byte is moved a bounded number of times.
  if (tail_.size() > 2 * kPart) {
    const std::size_t drop = tail_.size() - kPart;
    left_ += drop;
    tail_.erase(0, drop);
  }
}

std::string JobOutput::Text() const {
  std::string text = head_;
  std::string_view tail = tail_;
  std::uint64_t left = left_;
  const std::string last = held_.empty() ? line_ : held_ + (line_.empty() ? "" : "\n" + line_);
  // The shown tail and the lines still open share the last kPart bytes.
  const std::size_t keep = last.size() >= kPart ? 0 : kPart - last.size();
  if (tail.size() > keep) {
    left += tail.size() - keep;
    tail.remove_prefix(tail.size() - keep);
  }
  if (left > 0) text += "\n[... " + std::to_string(left) + " byte omessi ...]\n";
  text.append(tail);
  text.append(last.substr(last.size() > kPart ? last.size() - kPart : 0));
  return text;
}

}  // namespace qm
