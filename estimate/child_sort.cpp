// The quicksort of a container's children (middle element as pivot, Hoare
// partition, recursion on the left part and a loop on the right) and the orders
// of chapters, of work types and of resources.
#include "estimate/child_sort.h"

#include <cstdint>
#include <string_view>

#include "estimate/estimate_document.h"

namespace ranta2kv {
namespace {

using Children = std::vector<std::unique_ptr<TXML_Estimate_Item>>;

int CompareInt(std::int64_t a, std::int64_t b) {
  return a < b ? -1 : a > b ? 1 : 0;
}

// The bound checks on i and j never stop a scan for an order under which the
// pivot equals itself; they only keep a faulty order inside the list.
void Sort(Children& list, std::ptrdiff_t left, std::ptrdiff_t right, ChildOrder order) {
  std::ptrdiff_t i = 0;
  do {
    i = left;
    std::ptrdiff_t j = right;
    const TXML_Estimate_Item* pivot = list[(left + right) / 2].get();
    do {
      while (order(list[i].get(), pivot) < 0 && i < right) ++i;
      while (order(list[j].get(), pivot) > 0 && j > left) --j;
      if (i <= j) {
        list[i].swap(list[j]);
        ++i;
        --j;
      }
    } while (i <= j);
    if (left < j) Sort(list, left, j, order);
    left = i;
  } while (i < right);
}

int OrderByKeys(const TXML_Estimate_Item* a, const TXML_Estimate_Item* b, std::string_view secondKey) {
  if (a == nullptr || b == nullptr) return 0;
  if (a->ClassName() != b->ClassName()) return 0;
  for (std::string_view key : {std::string_view("SysID"), secondKey}) {
    if (a->HasValue(key, true) && b->HasValue(key, true)) {
      return CompareInt(a->GetValueByName(key).ToInteger(), b->GetValueByName(key).ToInteger());
    }
  }
  return 0;
}

int ResourceRank(const TXML_Estimate_Item* node) {
  const std::string& name = node->NodeName();
  if (name.size() != 3) return -1;  // every resource name is three letters long
  for (int rank = 0; rank < 4; ++rank) {
    if (name == ResourceNames[rank]) return rank;
  }
  return -1;
}

}  // namespace

void QuickSortChildren(Children& children, ChildOrder order) {
  if (children.empty()) return;
  Sort(children, 0, static_cast<std::ptrdiff_t>(children.size()) - 1, order);
}

int ChapterOrder(const TXML_Estimate_Item* a, const TXML_Estimate_Item* b) {
  return OrderByKeys(a, b, "Number");
}

int IDOrder(const TXML_Estimate_Item* a, const TXML_Estimate_Item* b) {
  return OrderByKeys(a, b, "ID");
}

int ResourceOrder(const TXML_Estimate_Item* a, const TXML_Estimate_Item* b) {
  return CompareInt(ResourceRank(a), ResourceRank(b));
}

}  // namespace ranta2kv
