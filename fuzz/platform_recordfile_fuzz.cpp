// The record stream on its own, in both encodings.
//  - Reading: one sequence of reads, line reads, token reads and position
//    moves (chosen by the input) runs over the bytes in memory and over the
//    same bytes in a file read through a 16-byte buffer; every answer must
//    agree, so buffer refills never change what is read.
//  - Writing: values taken from the input are written through a file with a
//    16-byte buffer and into memory, with position moves in between; the
//    bytes must agree, and values written straight through read back equal.
#include <unistd.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_contents.h"
#include "platform/record_file.h"

namespace {

using tlv::RecordFile;

void Check(bool ok) {
  if (!ok) std::abort();
}

// Scratch files live in memory where the machine offers it: the file layer
// syncs to disk, which would slow every run down to the disk's pace.
std::filesystem::path ScratchRoot() {
  std::error_code ec;
  if (std::filesystem::is_directory("/dev/shm", ec)) return "/dev/shm";
  return std::filesystem::temp_directory_path();
}

std::filesystem::path scratch_dir;

void RemoveScratch() {
  std::error_code ec;
  std::filesystem::remove_all(scratch_dir, ec);
}

const std::string& ScratchPath(const char* name) {
  static const std::filesystem::path dir = [] {
    scratch_dir = ScratchRoot() /
                  ("tlv-recordfile-fuzz-" + std::to_string(static_cast<long>(getpid())));
    std::filesystem::create_directories(scratch_dir);
    std::atexit(RemoveScratch);
    return scratch_dir;
  }();
  static std::string read_path = (dir / "read.bin").string();
  static std::string write_path = (dir / "write.bin").string();
  return std::strcmp(name, "read") == 0 ? read_path : write_path;
}

// Everything one operation answers, to compare two streams.
struct Answer {
  bool ok = false;
  std::string text;
  std::uint64_t bits = 0;
  bool cut = false;
  std::int64_t tell = 0;
  bool failed = false;
  bool eof = false;
  friend bool operator==(const Answer&, const Answer&) = default;
};

std::uint64_t Bits(double d) {
  std::uint64_t b;
  std::memcpy(&b, &d, sizeof b);
  return b;
}

Answer Apply(RecordFile& in, int op) {
  Answer a;
  switch (op) {
    case 0: { std::int32_t v = 7; a.ok = in.ReadInt(&v); a.bits = static_cast<std::uint32_t>(v); break; }
    case 1: { std::uint32_t v = 7; a.ok = in.ReadUint(&v); a.bits = v; break; }
    case 2: { double v = 7; a.ok = in.ReadDouble(&v); a.bits = std::isnan(v) ? 1 : Bits(v); break; }
    case 3: { std::uint8_t v = 7; a.ok = in.ReadByte(&v); a.bits = v; break; }
    case 4: { bool v = true; a.ok = in.ReadBool(&v); a.bits = v; break; }
    case 5: {
      a.ok = in.ReadString(&a.text);
      Check(a.text.size() <= RecordFile::kStringBufferSize);
      break;
    }
    case 6: {
      std::string_view token;
      a.ok = in.ReadToken(&token);
      a.text.assign(token);
      Check(a.text.size() <= RecordFile::kStringBufferSize);
      break;
    }
    case 7:
    case 8: {
      std::string_view line;
      const std::size_t max = op == 7 ? 5 : RecordFile::kStringBufferSize;
      a.ok = in.ReadLine(&line, max, &a.cut);
      a.text.assign(line);
      Check(a.text.size() <= max && a.text.find('\n') == std::string::npos);
      break;
    }
    case 9: {
      char bytes[23];
      const std::size_t n = in.ReadBytes(bytes, sizeof bytes);
      Check(n <= sizeof bytes);
      a.text.assign(bytes, n);
      break;
    }
    case 10: in.BackToLast(); break;
    case 11: in.SavePosition(); break;
    default: in.BackToSaved(); break;
  }
  a.tell = in.Tell();
  a.failed = in.failed();
  a.eof = in.eof();
  return a;
}

constexpr int kOps = 13;

void CompareReads(std::string_view bytes, std::uint8_t mode) {
  const RecordFile::Encoding encoding =
      (mode & 1) ? RecordFile::Encoding::kToken : RecordFile::Encoding::kBinary;
  std::string err;
  Check(tlv::WriteFileAtomically(ScratchPath("read"), bytes, &err));
  RecordFile file(16);
  Check(file.Open(ScratchPath("read"), RecordFile::Direction::kRead, encoding));
  RecordFile memory;
  Check(memory.OpenMemory(bytes, encoding));
  // Operations come from the bytes themselves; bounded, so a stream that
  // moves back forever still ends.
  const std::size_t steps = 2 * bytes.size() + 16;
  for (std::size_t step = 0; step < steps; ++step) {
    const std::uint8_t pick = bytes.empty() ? 0 : static_cast<std::uint8_t>(bytes[step % bytes.size()]);
    const int op = static_cast<int>((pick + step * (mode >> 1)) % kOps);
    const Answer a = Apply(file, op);
    const Answer b = Apply(memory, op);
    Check(a == b);
    Check(a.tell >= 0 && static_cast<std::size_t>(a.tell) <= bytes.size());
  }
}

// One value to write, drawn from the input.
struct Item {
  int kind = 0;  // 0 int, 1 uint, 2 double, 3 byte, 4 bool, 5 string
  std::int32_t i = 0;
  std::uint32_t u = 0;
  double d = 0;
  std::string s;
};

std::vector<Item> Items(std::string_view bytes) {
  std::vector<Item> items;
  std::size_t p = 0;
  auto take = [&](void* out, std::size_t n) {
    std::memset(out, 0, n);
    const std::size_t k = std::min(n, bytes.size() - p);
    std::memcpy(out, bytes.data() + p, k);
    p += k;
  };
  while (p < bytes.size() && items.size() < 200) {
    Item item;
    item.kind = static_cast<std::uint8_t>(bytes[p++]) % 6;
    switch (item.kind) {
      case 0: take(&item.i, 4); break;
      case 1: take(&item.u, 4); break;
      case 2: take(&item.d, 8); break;
      case 3: case 4: { std::uint8_t b; take(&b, 1); item.u = b; break; }
      default: {
        std::uint8_t n = 0;
        take(&n, 1);
        const std::size_t len = std::min<std::size_t>(n % 32, bytes.size() - p);
        item.s.assign(bytes.substr(p, len));
        p += len;
        break;
      }
    }
    items.push_back(std::move(item));
  }
  return items;
}

void Write(RecordFile& out, const Item& item, bool token) {
  switch (item.kind) {
    case 0: out.WriteInt(item.i); break;
    case 1: out.WriteUint(item.u); break;
    case 2: out.WriteDouble(item.d); break;
    case 3: out.WriteByte(static_cast<std::uint8_t>(item.u)); break;
    case 4: out.WriteBool(item.u != 0); break;
    default: out.WriteString(item.s); break;
  }
  if (token) out.WriteBytes(" ", 1);
}

// A token text survives a token round trip when it is one whole token.
bool OneToken(std::string_view s) {
  if (s.empty()) return false;
  for (char c : s) {
    if (c == '=' || c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v') {
      return false;
    }
  }
  return true;
}

void CompareWrites(std::string_view bytes, std::uint8_t mode) {
  const bool token = (mode & 1) != 0;
  const RecordFile::Encoding encoding =
      token ? RecordFile::Encoding::kToken : RecordFile::Encoding::kBinary;
  const std::vector<Item> items = Items(bytes);

  // The same writes and moves through a file and into memory.
  {
    RecordFile file(16);
    Check(file.Open(ScratchPath("write"), RecordFile::Direction::kWrite, encoding));
    std::string sink;
    RecordFile memory(16);
    Check(memory.OpenMemoryWriter(&sink, encoding));
    for (std::size_t k = 0; k < items.size(); ++k) {
      for (RecordFile* out : {&file, &memory}) {
        Write(*out, items[k], token);
        switch ((k + mode) % 7) {
          case 0: out->BackToLast(); break;
          case 1: out->SavePosition(); break;
          case 2: if (k % 3 == 0) out->BackToSaved(); break;
          default: break;
        }
      }
      Check(file.Tell() == memory.Tell());
    }
    Check(file.Close() && memory.Close());
    std::string on_disk;
    std::string err;
    Check(tlv::ReadFileBytes(ScratchPath("write"), &on_disk, &err));
    Check(on_disk == sink);
  }

  // Straight writes read back as the same values.
  std::string sink;
  {
    RecordFile out;
    Check(out.OpenMemoryWriter(&sink, encoding));
    for (const Item& item : items) Write(out, item, token);
    Check(out.Close());
  }
  RecordFile in;
  Check(in.OpenMemory(sink, encoding));
  for (const Item& item : items) {
    switch (item.kind) {
      case 0: { std::int32_t v; Check(in.ReadInt(&v) && v == item.i); break; }
      case 1: {
        std::uint32_t v;
        Check(in.ReadUint(&v));
        // A token reads like atoi, so a value past INT32_MAX comes back
        // clamped there.
        Check(v == item.u || (token && item.u > 0x7FFFFFFFu));
        break;
      }
      case 2: {
        double v;
        Check(in.ReadDouble(&v));
        Check(std::isnan(item.d) ? std::isnan(v) : Bits(v) == Bits(item.d));
        break;
      }
      case 3: { std::uint8_t v; Check(in.ReadByte(&v) && v == item.u); break; }
      case 4: { bool v; Check(in.ReadBool(&v) && v == (item.u != 0)); break; }
      default: {
        std::string v;
        if (token) {
          if (!OneToken(item.s)) return;  // the stream is out of step from here
          Check(in.ReadString(&v) && v == item.s);
        } else {
          Check(in.ReadString(&v) && v == item.s);
        }
        break;
      }
    }
  }
  Check(!in.failed());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::uint8_t mode = data[0];
  const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
  CompareReads(bytes, mode);
  CompareWrites(bytes, mode);
  return 0;
}
