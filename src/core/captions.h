// The domain's names as every document and window prints them: one place
// for the class numerals, the bands, the model's formula and the grading
// rule in words.
#pragma once

inline constexpr const char *ClassNames[] = {"Ⅰ", "Ⅱ", "Ⅲ"};
inline constexpr const char *WindBandRanges[] = {"V < 2 m/s", "2 ≤ V ≤ 4 m/s", "V > 4 m/s"};
inline constexpr const char *WindFlagRanges[] = {"V < 2 m/s", "V ≥ 2 m/s"};
inline constexpr const char *DistanceBandRanges[] = {"L ≤ 1000 m", "1000 < L ≤ 2000 m",
                                                     "L > 2000 m"};

inline constexpr const char *ModelFormulaText = "Qc/Cm = (1/A)·(B·L^C + 0.25·r²)^0.50·L^D";
inline constexpr const char *ModelFormulaHtml =
    "Q<sub>c</sub>/C<sub>m</sub> = (1/A)·(B·L<sup>C</sup> + "
    "0.25·r<sup>2</sup>)<sup>0.50</sup>·L<sup>D</sup>";

// GradeOf in words.
inline constexpr const char *GradingRuleText =
    "L < 50 m 取 50 m，50 m ≤ L ≤ 100 m 取 100 m，100 m < L ≤ 1000 m 按 100 m 级差，L > 1000 m 按 "
    "200 m 级差";
