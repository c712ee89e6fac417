#include "exporter/zip_package.h"

#include <zip.h>

#include <memory>

namespace tlv {
namespace {

std::string ZipErrorText(zip_error_t* error) {
  const char* text = zip_error_strerror(error);
  return text ? text : "unknown zip error";
}

struct ArchiveCloser {
  void operator()(zip_t* archive) const { zip_discard(archive); }
};
struct SourceCloser {
  void operator()(zip_source_t* source) const { zip_source_free(source); }
};
struct FileCloser {
  void operator()(zip_file_t* file) const { zip_fclose(file); }
};

}  // namespace

ZipPackage::Entry* ZipPackage::Find(std::string_view name) {
  for (Entry& entry : entries)
    if (entry.name == name) return &entry;
  return nullptr;
}

const ZipPackage::Entry* ZipPackage::Find(std::string_view name) const {
  for (const Entry& entry : entries)
    if (entry.name == name) return &entry;
  return nullptr;
}

bool ZipPackage::Remove(std::string_view name) {
  for (auto it = entries.begin(); it != entries.end(); ++it) {
    if (it->name == name) {
      entries.erase(it);
      return true;
    }
  }
  return false;
}

bool ReadZipPackage(std::string_view bytes, std::string_view name, ZipPackage* package,
                    std::string* err) {
  package->entries.clear();
  const std::string prefix = std::string(name) + ": ";
  zip_error_t error;
  zip_error_init(&error);
  std::unique_ptr<zip_source_t, SourceCloser> source(
      zip_source_buffer_create(bytes.data(), bytes.size(), 0, &error));
  if (!source) {
    *err = prefix + ZipErrorText(&error);
    zip_error_fini(&error);
    return false;
  }
  std::unique_ptr<zip_t, ArchiveCloser> archive(
      zip_open_from_source(source.get(), ZIP_RDONLY | ZIP_CHECKCONS, &error));
  if (!archive) {
    *err = prefix + "not a workbook file (" + ZipErrorText(&error) + ")";
    zip_error_fini(&error);
    return false;
  }
  zip_error_fini(&error);
  source.release();  // the archive owns it now

  zip_int64_t count = zip_get_num_entries(archive.get(), 0);
  if (count < 0 || static_cast<std::size_t>(count) > kMaxZipEntries) {
    *err = prefix + "too many parts in the workbook file";
    return false;
  }
  std::size_t total = 0;
  package->entries.reserve(static_cast<std::size_t>(count));
  for (zip_int64_t i = 0; i < count; ++i) {
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat_index(archive.get(), static_cast<zip_uint64_t>(i), 0, &stat) != 0 ||
        !(stat.valid & ZIP_STAT_NAME) || !(stat.valid & ZIP_STAT_SIZE)) {
      *err = prefix + "damaged entry in the workbook file";
      return false;
    }
    if ((stat.valid & ZIP_STAT_ENCRYPTION_METHOD) && stat.encryption_method != ZIP_EM_NONE) {
      *err = prefix + "the workbook file is encrypted";
      return false;
    }
    if (stat.size > kMaxZipTotalBytes - total) {
      *err = prefix + "the workbook file is too large";
      return false;
    }
    ZipPackage::Entry entry;
    entry.name = stat.name;
    if (!entry.name.empty() && entry.name.back() == '/') continue;  // a folder
    entry.data.resize(static_cast<std::size_t>(stat.size));
    std::unique_ptr<zip_file_t, FileCloser> file(
        zip_fopen_index(archive.get(), static_cast<zip_uint64_t>(i), 0));
    if (!file) {
      *err = prefix + "cannot read part " + entry.name + " (" +
             zip_strerror(archive.get()) + ")";
      return false;
    }
    std::size_t done = 0;
    while (done < entry.data.size()) {
      zip_int64_t got = zip_fread(file.get(), entry.data.data() + done, entry.data.size() - done);
      if (got <= 0) {
        *err = prefix + "cannot read part " + entry.name + " (" +
               zip_file_strerror(file.get()) + ")";
        return false;
      }
      done += static_cast<std::size_t>(got);
    }
    // The whole entry must be read for its checksum to be verified.
    char probe;
    if (zip_fread(file.get(), &probe, 1) != 0) {
      *err = prefix + "damaged part " + entry.name;
      return false;
    }
    total += entry.data.size();
    package->entries.push_back(std::move(entry));
  }
  return true;
}

bool WriteZipPackage(const ZipPackage& package, std::string* bytes, std::string* err) {
  zip_error_t error;
  zip_error_init(&error);
  std::unique_ptr<zip_source_t, SourceCloser> sink(zip_source_buffer_create(nullptr, 0, 0, &error));
  if (!sink) {
    *err = ZipErrorText(&error);
    zip_error_fini(&error);
    return false;
  }
  zip_t* archive = zip_open_from_source(sink.get(), ZIP_TRUNCATE, &error);
  if (!archive) {
    *err = ZipErrorText(&error);
    zip_error_fini(&error);
    return false;
  }
  zip_error_fini(&error);
  // Keep the sink alive after the archive closes so its bytes can be read.
  zip_source_keep(sink.get());
  for (const ZipPackage::Entry& entry : package.entries) {
    zip_source_t* part = zip_source_buffer(archive, entry.data.data(), entry.data.size(), 0);
    zip_int64_t index = part ? zip_file_add(archive, entry.name.c_str(), part, ZIP_FL_ENC_UTF_8)
                             : -1;
    if (index < 0) {
      if (part) zip_source_free(part);
      *err = std::string("cannot add ") + entry.name + " (" + zip_strerror(archive) + ")";
      zip_discard(archive);
      return false;
    }
    zip_set_file_compression(archive, static_cast<zip_uint64_t>(index), ZIP_CM_DEFLATE, 6);
    // A fixed time stamp keeps two saves of the same workbook identical.
    zip_file_set_mtime(archive, static_cast<zip_uint64_t>(index), 315532800 + 86400 * 365, 0);
  }
  if (zip_close(archive) != 0) {
    *err = std::string("cannot write the workbook (") + zip_strerror(archive) + ")";
    zip_discard(archive);
    return false;
  }
  zip_stat_t stat;
  zip_stat_init(&stat);
  if (zip_source_stat(sink.get(), &stat) != 0 || zip_source_open(sink.get()) != 0) {
    *err = "cannot read back the written workbook";
    return false;
  }
  bytes->resize(static_cast<std::size_t>(stat.size));
  zip_int64_t got = zip_source_read(sink.get(), bytes->data(), stat.size);
  zip_source_close(sink.get());
  if (got < 0 || static_cast<zip_uint64_t>(got) != stat.size) {
    *err = "cannot read back the written workbook";
    return false;
  }
  return true;
}

}  // namespace tlv
