// The engine runs once per tool-path record: once its buffers are warm, an
// expansion must not touch the heap.  Counts every operator new of this
// test program.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "format/engine_test_support.h"

namespace {
std::atomic<long> g_allocations{0};
}  // namespace

// The replacements pair malloc with free; GCC cannot see that through the
// sanitizer build's inlining and warns.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif

void* operator new(std::size_t size) {
  g_allocations.fetch_add(1, std::memory_order_relaxed);
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace tlv {
namespace {

using ExpansionAllocations = EngineTest;

TEST_F(ExpansionAllocations, SteadyStateExpansionDoesNotAllocate) {
  SetSection(8,
             "<IF><F> > 5000 AND <GMOVE> == \"G00\"<THEN>\nG00{X<X>}{Y<Y>}\n"
             "<ELSE>\n{<GMOVE>}{X<X>}{Y<Y>}{Z<Z>}[M08<F>]{F<F>}\n<ENDIF>\n");
  Var(19).SetText("G01");
  auto one_record = [&](int i) {
    Var(51).SetNumber(100.0 + i * 0.0137);
    Var(52).SetNumber(50.0 - i * 0.5);
    Var(53).SetNumber(-2.0);
    Var(14).SetNumber(i % 3 == 0 ? 1200 : 800);
    expander_.ExpandSection(8);
  };
  out_.text_out.reserve(1 << 20);
  for (int i = 0; i < 10; ++i) one_record(i);
  const long before = g_allocations.load();
  for (int i = 10; i < 1000; ++i) one_record(i);
  EXPECT_EQ(g_allocations.load() - before, 0);
  EXPECT_NE(out_.text_out.find("\nX100.137Y45.M08F800.\n"), std::string::npos);
}

}  // namespace
}  // namespace tlv
