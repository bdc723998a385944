#include "tests/playback/MidiFileDump.h"

#include <map>
#include <sstream>

namespace {

class Reader {
 public:
  Reader(const std::vector<uint8_t>& bytes, size_t begin, size_t end) : b_(bytes), at_(begin), end_(end) {}
  bool Done() const { return at_ >= end_; }
  bool Byte(uint8_t* v) {
    if (at_ >= end_) return false;
    *v = b_[at_++];
    return true;
  }
  bool VarLen(uint32_t* v) {
    *v = 0;
    for (int i = 0; i < 4; ++i) {
      uint8_t c;
      if (!Byte(&c)) return false;
      *v = (*v << 7) | (c & 0x7F);
      if (!(c & 0x80)) return true;
    }
    return false;  // more than four bytes
  }
  bool Bytes(uint32_t n, std::vector<uint8_t>* out) {
    if (n > end_ - at_) return false;
    out->insert(out->end(), b_.begin() + at_, b_.begin() + at_ + n);
    at_ += n;
    return true;
  }
  size_t At() const { return at_; }

 private:
  const std::vector<uint8_t>& b_;
  size_t at_;
  size_t end_;
};

uint32_t BigEndian(const std::vector<uint8_t>& b, size_t at, int n) {
  uint32_t v = 0;
  for (int i = 0; i < n; ++i) v = (v << 8) | b[at + i];
  return v;
}

std::string Describe(const std::vector<uint8_t>& e) {
  std::ostringstream s;
  uint8_t status = e[0];
  if (status == 0xFF) {
    uint8_t type = e[1];
    std::string data(e.begin() + 2, e.end());
    if (type == 0x51) {
      s << "tempo " << BigEndian(e, 2, 3);
    } else if (type == 0x58) {
      s << "timesig " << int(e[2]) << " " << int(e[3]) << " " << int(e[4]) << " " << int(e[5]);
    } else if (type == 0x59) {
      s << "key " << int(int8_t(e[2])) << " " << int(e[3]);
    } else if (type == 0x2F) {
      s << "end";
    } else {
      s << "meta " << int(type) << " " << data;
    }
  } else if (status == 0xF0) {
    s << "sysex";
    for (size_t i = 1; i < e.size(); ++i) s << " " << std::hex << int(e[i]) << std::dec;
  } else if ((status & 0xF0) == 0x90) {
    if (e[2] == 0) {
      s << "off " << int(e[1]);
    } else {
      s << "on " << int(e[1]) << " " << int(e[2]);
    }
    if ((status & 15) != 0) s << " ch" << int(status & 15);
  } else if ((status & 0xF0) == 0xB0) {
    s << "control " << int(e[1]) << " " << int(e[2]) << " ch" << int(status & 15);
  } else if ((status & 0xF0) == 0xC0) {
    s << "program " << int(e[1]) << " ch" << int(status & 15);
  } else {
    s << "status " << int(status);
  }
  return s.str();
}

}  // namespace

MidiDump DumpMidi(const std::vector<uint8_t>& bytes) {
  MidiDump dump;
  auto fail = [&](const std::string& why) {
    dump.valid = false;
    dump.error = why;
    return dump;
  };
  if (bytes.size() < 14 || std::string(bytes.begin(), bytes.begin() + 4) != "MThd" || BigEndian(bytes, 4, 4) != 6)
    return fail("header");
  dump.format = int(BigEndian(bytes, 8, 2));
  uint32_t count = BigEndian(bytes, 10, 2);
  dump.division = int(BigEndian(bytes, 12, 2));
  size_t at = 14;
  for (uint32_t t = 0; t < count; ++t) {
    if (at + 8 > bytes.size() || std::string(bytes.begin() + at, bytes.begin() + at + 4) != "MTrk")
      return fail("track chunk");
    uint32_t length = BigEndian(bytes, at + 4, 4);
    if (length > bytes.size() - at - 8) return fail("track length");
    Reader r(bytes, at + 8, at + 8 + length);
    std::vector<DumpedEvent> events;
    uint32_t time = 0;
    bool ended = false;
    while (!r.Done()) {
      if (ended) return fail("events after the end of a track");
      uint32_t delta;
      uint8_t status;
      if (!r.VarLen(&delta) || !r.Byte(&status)) return fail("delta");
      if (!(status & 0x80)) return fail("running status or data byte where a status belongs");
      time += delta;
      std::vector<uint8_t> e = {status};
      if (status == 0xFF) {
        uint8_t type;
        uint32_t n;
        if (!r.Byte(&type) || !r.VarLen(&n)) return fail("meta");
        e.push_back(type);
        if (!r.Bytes(n, &e)) return fail("meta data");
        if (type == 0x2F) ended = true;
      } else if (status == 0xF0) {
        uint32_t n;
        if (!r.VarLen(&n) || !r.Bytes(n, &e)) return fail("sysex");
        if (e.back() != 0xF7) return fail("sysex end");
      } else {
        int n = ((status & 0xF0) == 0xC0 || (status & 0xF0) == 0xD0) ? 1 : 2;
        for (int i = 0; i < n; ++i) {
          uint8_t d;
          if (!r.Byte(&d) || (d & 0x80)) return fail("channel data");
          e.push_back(d);
        }
      }
      events.push_back({time, e, std::to_string(time) + " " + Describe(e)});
    }
    if (!ended) return fail("track without its end");
    dump.tracks.push_back(events);
    at += 8 + length;
  }
  if (at != bytes.size()) return fail("bytes after the last track");
  dump.valid = true;
  return dump;
}

std::vector<std::string> MidiDump::Notes(size_t track) const {
  std::vector<std::string> lines;
  if (track >= tracks.size()) return lines;
  for (const DumpedEvent& e : tracks[track]) {
    if ((e.bytes[0] & 0xF0) == 0x90) lines.push_back(e.line);
  }
  return lines;
}

std::vector<std::string> MidiDump::Lines(size_t track, const std::string& prefix) const {
  std::vector<std::string> lines;
  if (track >= tracks.size()) return lines;
  for (const DumpedEvent& e : tracks[track]) {
    std::string text = e.line.substr(e.line.find(' ') + 1);
    if (text.compare(0, prefix.size(), prefix) == 0) lines.push_back(e.line);
  }
  return lines;
}

std::string MidiDump::StuckNotes() const {
  for (size_t t = 0; t < tracks.size(); ++t) {
    std::map<int, int> sounding;
    for (const DumpedEvent& e : tracks[t]) {
      if ((e.bytes[0] & 0xF0) != 0x90) continue;
      int key = (e.bytes[0] & 15) * 128 + e.bytes[1];
      if (e.bytes[2] != 0) {
        ++sounding[key];
      } else if (--sounding[key] < 0) {
        return "track " + std::to_string(t) + ": note-off without a note at " + e.line;
      }
    }
    for (const auto& s : sounding) {
      if (s.second != 0) return "track " + std::to_string(t) + ": note " + std::to_string(s.first % 128) + " left on";
    }
  }
  return "";
}
