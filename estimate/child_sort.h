// The sort of a container's children and its three orders. The quicksort is not
// stable: the order of children that compare equal (a chapter and a position,
// say) follows from its exact steps, and that order is part of the output.
#pragma once

#include <memory>
#include <vector>

namespace ranta2kv {

class TXML_Estimate_Item;

// Negative, zero or positive as a sorts before, with or after b.
using ChildOrder = int (*)(const TXML_Estimate_Item* a, const TXML_Estimate_Item* b);

// Sorts in place; an error of a comparison ends the sort (every child is still
// in the list, in some order).
void QuickSortChildren(std::vector<std::unique_ptr<TXML_Estimate_Item>>& children, ChildOrder order);

// Nodes of one class by "SysID" when both have one, else by "Number"; nodes of
// different classes compare equal. Values are converted to integers.
int ChapterOrder(const TXML_Estimate_Item* a, const TXML_Estimate_Item* b);
// The same with "ID" in place of "Number".
int IDOrder(const TXML_Estimate_Item* a, const TXML_Estimate_Item* b);
// "Tzr", "Tzm", "Mch", "Mat" in that order; other names before them.
int ResourceOrder(const TXML_Estimate_Item* a, const TXML_Estimate_Item* b);

}  // namespace ranta2kv
