// A deterministic generator of large, realistic tool-path data files for the
// reader benchmarks: mostly linear feeds, with rapids, arcs, tool changes and
// processes mixed in the way a roughing-and-finishing program has them.
#ifndef TLV_BENCH_TOOLPATH_GENERATE_H_
#define TLV_BENCH_TOOLPATH_GENERATE_H_

#include <charconv>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/record_file.h"

namespace tlv::bench {

/// What a generated file holds.
struct GeneratedToolPath {
  int64_t bytes = 0;
  int64_t records = 0;
  bool ok = false;
};

class ToolPathGenerator {
 public:
  explicit ToolPathGenerator(uint64_t seed = 0x5eed) : state_(seed) {}

  /// Writes records to `out` until at least `target_bytes` are written.
  GeneratedToolPath Generate(RecordFile* out, int64_t target_bytes) {
    out_ = out;
    GeneratedToolPath result;
    Text(".102=0 BENCH PART 01\n");
    Header(100);
    Text(".102=0 BENCH PART 01\n.118=0 MILL-3AX\n.212=1 1\n");
    int64_t moves = 0;
    int process = 0;
    int tool = 0;
    while (out_->Tell() < target_bytes) {
      if (moves % 200000 == 0) {
        if (process > 0) {
          Header(600);
          Text(".250=1 12.5\n.251=1 3.25\n.252=1 0.5\n");
        }
        ++process;
        Header(200);
        Text(".213=0 POCKET ROUGH ");
        Int(process);
        Text("\n.206=1 0.5\n.215=1 4.0\n");
          }
      if (moves % 100000 == 0) {
        ++tool;
        Header(1500);
        Text(".1501=2 ");
        Int(tool);
        Text("\n.1502=0 FLAT END MILL D10\n.16=1 8000\n.17=0 M08\n.1504=2 ");
        Int(tool);
        Text("\n.1535=1 125.0\n");
            Rapid(true);
      }
      uint64_t r = Next() % 100;
      if (r < 2) {
        Rapid(false);
      } else if (r < 12) {
        Arc();
      } else {
        Linear();
      }
      ++moves;
    }
    Header(600);
    Header(1800);
    result.bytes = out_->Tell();
    result.records = records_;
    result.ok = out_->Flush();
    return result;
  }

 private:
  uint64_t Next() {
    // xorshift64*: fixed sequence for a seed on every machine.
    state_ ^= state_ >> 12;
    state_ ^= state_ << 25;
    state_ ^= state_ >> 27;
    return state_ * 0x2545F4914F6CDD1DULL;
  }
  // A coordinate step of up to +-2.5 mm around the current point, kept in the
  // work area.
  double Step(double* axis, double low, double high) {
    double step = (static_cast<double>(Next() % 50001) - 25000.0) / 10000.0;
    *axis += step;
    if (*axis < low || *axis > high) *axis -= 2 * step;
    return *axis;
  }

  void Text(std::string_view text) { out_->WriteString(text); }
  void Int(int64_t value) {
    char buf[24];
    auto r = std::to_chars(buf, buf + sizeof buf, value);
    out_->WriteBytes(buf, static_cast<size_t>(r.ptr - buf));
  }
  void Real(double value) {
    char buf[48];
    auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, 4);
    out_->WriteBytes(buf, static_cast<size_t>(r.ptr - buf));
  }
  void Header(int kind) {
    ++records_;
    Text("_");
    Int(kind);
    Text("\n");
  }
  void Field(std::string_view head, double value) {
    Text(head);
    Real(value);
    Text("\n");
  }
  void Point() {
    Field(".512=1 ", Step(&x_, -200, 200));
    Field(".513=1 ", Step(&y_, -150, 150));
    Field(".514=1 ", Step(&z_, -40, 5));
  }
  void Linear() {
    Header(1100);
    Point();
    Field(".14=1 ", 1200.0);
    Text(".19=0 G01\n");
  }
  void Rapid(bool high) {
    Header(800);
    if (high) z_ = 50.0;
    Point();
    Text(".19=0 G00\n");
  }
  void Arc() {
    Header(300);
    Point();
    Field(".515=1 ", x_ + 5.0);
    Field(".516=1 ", y_ - 2.5);
    Field(".14=1 ", 800.0);
    Text(Next() % 2 ? ".19=0 G02\n" : ".19=0 G03\n");
  }

  uint64_t state_;
  RecordFile* out_ = nullptr;
  int64_t records_ = 0;
  double x_ = 0, y_ = 0, z_ = 5;
};

}  // namespace tlv::bench

#endif  // TLV_BENCH_TOOLPATH_GENERATE_H_
