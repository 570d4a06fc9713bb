#pragma once

// The three operations of the main window's buttons. Each reads the field texts it needs, computes
// in double precision and writes texts back; nothing is kept between calls. Bad input is reported
// only by writing inputErrorText to the status line `zt`; no operation throws or stops.

#include "stats/fields.h"

namespace velbrin::stats {

// Enters the text of `Text1`: counts it in `text2`, adds it to the sum `s` and its square to `ss`,
// appends it and "," to `v`, and empties `Text1`. A text that is not numeric, or whose count, sum
// or sum of squares would leave the double range, changes no accumulator and shows the input
// error; it is listed all the same.
//
//   from start-up, "1" "2" "3" "4"  -> text2 "4", s "10", ss "30", v "1,2,3,4,"
//   " 5 "   -> accepted as 5, v gains " 5 ,"        "1,000" -> adds 1000, v gains "1,000,"
//   "abc"   -> zt "状态栏：输入错误", v gains "abc,"
//   ""      -> zt "状态栏：输入错误", v gains ","
//   "0.1" three times -> text2 "3", s "0.3", ss "0.03"
void AddNextValue(FieldStore& fields);

// Writes the mean to `Text3`, the population variance (divided by N) to `Text4` and the standard
// deviation to `u`. The variance is computed from the mean as written, the deviation from the
// variance as written, so both roundings to 15 digits show.
//
//   1 2 3 4 -> "2.5" "1.25" " 1.11803398874989"      1 2 -> "1.5" "0.25" " .5"
//   1 2 2   -> "1.66666666666667" "0.222222222222211" " .47140452079102"
//   no values -> Text3 "", zt "状态栏：输入错误", Text4 kept, u from Text4 (" 0" after start-up)
//   a variance text below zero (0.1 three times: "-2.31296463463574E-18") -> u " 0"
void ComputeResults(FieldStore& fields);

// Puts every field back to its start-up text, except that the status line reads "状态栏：".
void ResetSeries(FieldStore& fields);

} // namespace velbrin::stats
