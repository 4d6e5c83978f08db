// The sort of a container's children. The quicksort is not stable: the order of
// children that compare equal (a chapter and a position, say) follows from its
// exact steps (middle element as pivot, Hoare partition, recursion on the left
// part and a loop on the right), and that order is part of the output. It knows
// nothing of the nodes but the order it is given.
#pragma once

#include <cstddef>
#include <memory>
#include <type_traits>
#include <utility>
#include <vector>

namespace ranta2kv {

namespace detail {

// view gives what order compares of an element (the node a child points to, or
// the value itself); the pivot is a copy of the middle one's, which stays what
// it was while the elements move. The bound checks on i and j never stop a scan
// for an order under which the pivot equals itself; they only keep a faulty
// order inside the list.
template <typename List, typename View, typename Order>
void Sort(List& list, std::ptrdiff_t left, std::ptrdiff_t right, View view, Order order) {
  std::ptrdiff_t i = 0;
  do {
    i = left;
    std::ptrdiff_t j = right;
    const std::decay_t<decltype(view(list[left]))> pivot = view(list[(left + right) / 2]);
    do {
      while (order(view(list[i]), pivot) < 0 && i < right) ++i;
      while (order(view(list[j]), pivot) > 0 && j > left) --j;
      if (i <= j) {
        std::swap(list[i], list[j]);
        ++i;
        --j;
      }
    } while (i <= j);
    if (left < j) Sort(list, left, j, view, order);
    left = i;
  } while (i < right);
}

}  // namespace detail

// Sorts in place by order (negative, zero or positive as a sorts before, with or
// after b); an error of a comparison ends the sort (every child is still in the
// list, in some order).
template <typename Node, typename Order>
void QuickSortChildren(std::vector<std::unique_ptr<Node>>& children, Order order) {
  if (children.empty()) return;
  detail::Sort(children, 0, static_cast<std::ptrdiff_t>(children.size()) - 1,
               [](const std::unique_ptr<Node>& child) { return static_cast<const Node*>(child.get()); }, order);
}

// The same sort of a list of values, in the same steps: the values end in the
// order the children would, given the same order.
template <typename Value, typename Order>
void QuickSort(std::vector<Value>& values, Order order) {
  if (values.empty()) return;
  detail::Sort(values, 0, static_cast<std::ptrdiff_t>(values.size()) - 1,
               [](const Value& value) -> const Value& { return value; }, order);
}

}  // namespace ranta2kv
