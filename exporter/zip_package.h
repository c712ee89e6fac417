#ifndef TLV_EXPORTER_ZIP_PACKAGE_H_
#define TLV_EXPORTER_ZIP_PACKAGE_H_

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tlv {

/// The parts of a workbook file (a zip archive), in the archive's order.
/// Parts are held whole in memory; the ones nobody changes are written back
/// with the same bytes.
struct ZipPackage {
  struct Entry {
    std::string name;
    std::string data;
  };
  std::vector<Entry> entries;

  /// The entry called `name` (exact), or nullptr.
  Entry* Find(std::string_view name);
  const Entry* Find(std::string_view name) const;
  /// Removes the entry called `name`; false when there was none.
  bool Remove(std::string_view name);
};

/// Limits that keep a hostile archive from exhausting memory.
inline constexpr std::size_t kMaxZipEntries = 10000;
inline constexpr std::size_t kMaxZipTotalBytes = std::size_t{256} << 20;

/// Reads every entry of the zip archive `bytes`.  False with `err`
/// ("<name>: <reason>") for something that is not a readable zip archive,
/// an encrypted entry or one over the limits.
bool ReadZipPackage(std::string_view bytes, std::string_view name, ZipPackage* package,
                    std::string* err);

/// Writes `package` as a zip archive (deflated entries) into `bytes`.
bool WriteZipPackage(const ZipPackage& package, std::string* bytes, std::string* err);

}  // namespace tlv

#endif  // TLV_EXPORTER_ZIP_PACKAGE_H_
