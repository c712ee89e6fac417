// Arbitrary bytes as the settings store file.  The parser must never crash,
// and what it keeps must be stable: the content it would write, read again,
// gives the same content; the same text in UTF-16LE (with its byte-order
// mark) reads exactly as the UTF-8 text; and a value written into the file
// reads back while the other values keep theirs.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_contents.h"
#include "platform/settings_store.h"
#include "platform/text_encoding.h"

namespace {

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

constexpr std::string_view kKeys[] = {
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\KESTRA\\TLV",
    "hkey_local_machine\\software\\kestra\\tlv\\",
    "HKEY_CURRENT_USER\\Software\\KESTRA\\TLV\\PSet1",
    "K",
};
constexpr std::string_view kNames[] = {"SavePath", "DontShowExecDlg", "A", "@", ""};

// What the store answers for every probe, to compare two loads.
struct Answers {
  std::vector<std::optional<std::string>> texts;
  std::vector<std::optional<int>> numbers;
  std::vector<bool> keys;
  friend bool operator==(const Answers&, const Answers&) = default;
};

Answers Probe(const tlv::SettingsStore& store) {
  Answers a;
  for (std::string_view key : kKeys) {
    a.keys.push_back(store.KeyExists(key));
    for (std::string_view name : kNames) {
      a.texts.push_back(store.ReadText(key, name));
      a.numbers.push_back(store.ReadNumber(key, name));
      const std::optional<std::string> cut = store.ReadText(key, name, 99);
      Check(cut.has_value() == a.texts.back().has_value());
      if (cut) Check(cut->size() <= 99 && a.texts.back()->starts_with(*cut));
    }
  }
  return a;
}

// UTF-16LE with a byte-order mark for valid UTF-8 text.
std::string ToUtf16Le(std::string_view utf8) {
  std::string out = "\xFF\xFE";
  auto unit = [&out](std::uint32_t u) {
    out.push_back(static_cast<char>(u & 0xFF));
    out.push_back(static_cast<char>(u >> 8));
  };
  for (std::size_t i = 0; i < utf8.size();) {
    const auto c = static_cast<unsigned char>(utf8[i]);
    const int len = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
    std::uint32_t cp = len == 1 ? c : len == 2 ? (c & 0x1Fu) : len == 3 ? (c & 0x0Fu) : (c & 0x07u);
    for (int k = 1; k < len; ++k) cp = (cp << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3Fu);
    i += static_cast<std::size_t>(len);
    if (cp >= 0x10000) {
      cp -= 0x10000;
      unit(0xD800 + (cp >> 10));
      unit(0xDC00 + (cp & 0x3FF));
    } else {
      unit(cp);
    }
  }
  return out;
}

std::filesystem::path scratch_dir;

void RemoveScratch() {
  std::error_code ec;
  std::filesystem::remove_all(scratch_dir, ec);
}

const std::string& ScratchFile() {
  static const std::string path = [] {
    scratch_dir = ScratchRoot() /
                  ("tlv-settings-fuzz-" + std::to_string(static_cast<long>(getpid())));
    std::filesystem::create_directories(scratch_dir);
    std::atexit(RemoveScratch);
    return (scratch_dir / "registry.reg").string();
  }();
  return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);

  tlv::SettingsStore store;
  std::vector<std::string> warnings;
  store.LoadFromText(bytes, "fuzz.reg", &warnings);
  for (const std::string& w : warnings) Check(w.starts_with("fuzz.reg:"));
  const Answers first = Probe(store);

  // Written content reads back to itself and answers alike.
  const std::string written = store.Serialize();
  tlv::SettingsStore again;
  again.LoadFromText(written, "again.reg");
  Check(again.Serialize() == written);
  Check(Probe(again) == first);

  // The same text in UTF-16LE reads as the UTF-8 text.  (A UTF-8 BOM stays
  // a character of its own there, so leave such texts out.)
  if (tlv::IsValidUtf8(bytes) && !bytes.starts_with("\xEF\xBB\xBF") &&
      !bytes.starts_with("\xFF\xFE")) {
    tlv::SettingsStore wide;
    wide.LoadFromText(ToUtf16Le(bytes), "wide.reg");
    Check(wide.Serialize() == written);
    Check(Probe(wide) == first);
  }

  // A write through the file: the new value reads back, every other probe
  // keeps its answer, and the file holds what the store says.
  if (size > 0 && data[0] % 8 == 0) {
    std::string err;
    Check(tlv::WriteFileAtomically(ScratchFile(), bytes, &err));
    tlv::SettingsStore file;
    Check(file.Load(ScratchFile(), &err));
    const std::string value(bytes.substr(0, 40));
    const bool ok = file.WriteText(kKeys[0], "FuzzValue", value, &err);
    Check(ok == (value.find_first_of(std::string_view("\r\n\0", 3)) == std::string::npos));
    if (ok) {
      Check(file.ReadText(kKeys[0], "FuzzValue") == value);
      std::string on_disk;
      Check(tlv::ReadFileBytes(ScratchFile(), &on_disk, &err));
      Check(on_disk == file.Serialize());
      tlv::SettingsStore reread;
      reread.LoadFromText(on_disk, "reread.reg");
      Check(reread.ReadText(kKeys[0], "FuzzValue") == value);
      // Nothing else changed but that the written key now exists.
      Answers after = Probe(reread);
      Check(after.texts == first.texts && after.numbers == first.numbers);
      Check(after.keys[0] && after.keys[1]);
      for (std::size_t k = 2; k < after.keys.size(); ++k) Check(after.keys[k] == first.keys[k]);
    }
  }
  return 0;
}
