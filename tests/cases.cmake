# The program's behaviour as a user sees it: one row per run, the bytes given on
# standard input and the exact bytes expected on standard output. Every row also
# expects exit status 0 and nothing on standard error, except the rows of
# write_failure and read_failure, which expect exit status 1, a one-line
# message and nothing delivered on standard output.
#
#    name                   standard input                    standard output

# Periods: at least one; a fractional term rounds up.
case(three_periods          "1000,3,0.05"                     "1157.63")
case(one_period             "1000,1,0.05"                     "1050.00")
case(zero_term              "1000,0,0.05"                     "1050.00")
case(negative_term          "1000,-3,0.05"                    "1050.00")
case(minus_infinite_term    "1000,-inf,0.05"                  "1050.00")
case(nan_term               "1000,nan,0.05"                   "1050.00")
case(fraction_rounds_up     "1000,2.5,0.05"                   "1157.63")
case(just_above_one         "1000,1.0000001,0.05"             "1102.50")
case(ten_periods            "100,10,0.1"                      "259.37")
case(thirty_periods         "1000,30,0.05"                    "4321.94")

# Repeated products, not a power function: the last bits decide the second decimal.
case(product_below_tie      "5000,3,0.01"                     "5151.50")
case(product_below_tie_2    "5000,3,0.27"                     "10241.91")

# Each product rounded once to binary64, never held at a wider precision first
# (as the x87 unit of 32-bit x86 does): one period, a 64-period block and a
# double rounding that lands on a tie.
case(one_rounding_per_period "1e17,1,.1"                      "110000000000000016.00")
case(one_rounding_per_block "4503599627370496,65,0.11"        "3976979896612359680.00")
case(no_double_rounding     "4503599627370496,2,0.3227"       "7879206480115533.00")

# Two decimals from the exact binary value, ties to even.
case(tie_to_even_down       "0.125,1,0"                       "0.12")
case(tie_to_even_up         "0.375,1,0"                       "0.38")
case(binary_below_decimal   "1,1,0.005"                       "1.00")
case(binary_above_decimal   "0.005,1,0"                       "0.01")
case(binary_below_2_675     "2.675,1,0"                       "2.67")
case(zero                   "1000,3,-1"                       "0.00")
case(negative_zero          "-1000,3,-1"                      "-0.00")
case(negative_result        "-1000,3,0.05"                    "-1157.63")
case(tiny_result            "1e-300,1,0"                      "0.00")
case(every_digit_of_1e300   "1e300,1,0"                       "1000000000000000052504760255204420248704468581108159154915854115511802457988908195786371375080447864043704443832883878176942523235360430575644792184786706982848387200926575803737830233794788090059368953234970799945081119038967640880074652742780142494579258788820056842838115669472196386865459400540160.00")
case(most_negative          "-0x1.fffffffffffffp1023,1,0"     "-179769313486231570814527423731704356798070567525844996598917476803157260780028538760589558632766878171540458953514382464234321326889464182768467546703537516986049910576551282076245490090389328944075868508455133942304583236903222948165808559332123348274797826204144723168738177180919299881250404026184124858368.00")

# Overflow, and a negative 1 + rate, whose sign follows the parity of the periods.
case(overflow               "1e308,2,1"                       "inf")
case(negative_overflow      "-1e308,2,1"                      "-inf")
case(odd_periods_of_minus_1 "1000,3,-2"                       "-1000.00")
case(even_periods_of_minus_1 "1000,4,-2"                      "1000.00")

# Parsing: white space before a number, signs, exponents, hexadecimal, words.
case(space_after_commas     "1000, 3, 0.05"                   "1157.63")
case(one_number_per_line    "1000,\n3,\n0.05\n"               "1157.63")
case(leading_white_space    " \t\r\n 1000,\t3,\r\n0.05"       "1157.63")
case(explicit_signs         "+1000,+3,+0.05"                  "1157.63")
case(exponents              "1e3,30E-1,.5e-1"                 "1157.63")
case(hexadecimal            "0x3E8,0x3,0x1.999999999999ap-5"  "1157.63")
case(infinity_words         "-Infinity,1,0"                   "-inf")
case(infinite_money         "INF,3,0.05"                      "inf")
case(nan_money              "NaN,3,0.05"                      "nan")
case(minus_nan_money        "-nan,3,0.05"                     "nan")
case(infinity_times_zero    "inf,3,-1"                        "nan")
case(zero_times_infinity    "0,1,inf"                         "nan")
case(above_largest          "1e400,1,0"                       "inf")
case(below_smallest         "-1e-400,1,0"                     "-0.00")
case(incomplete_exponent    "1000e+,3,0.05"                   "1157.63")
case(long_digits_above_tie  "9007199254740993.00000000000000000001,1,0" "9007199254740994.00")
case(short_digits_above_2p53 "10375e22,1,0"                   "103749999999999991414259712.00")
case(short_digits_above_2p53_2 "464290e20,1,0"                "46429000000000004292870144.00")
# Rounded once: the nearest double is the smallest subnormal, not zero, so two
# periods of 2^1023 overflow it to inf rather than leave 0 * inf = nan.
case(hex_rounded_once       "0x1.00000000000008p-1075,2,0x1p1023" "inf")
case(digit_grouping         "1,000,3,0.05"                    "4.00")
case(decimal_comma          "1000,5,0,05"                     "1000.00")
case(text_after_rate        "1000,3,0.05xyz\n"                "1157.63")
case(fourth_number          "1000,3,0.05,7"                   "1157.63")

# Fewer than three numbers: the fields left unconverted are NaN.
case(space_before_comma     "1000 ,3,0.05"                    "nan")
case(semicolons             "1000;3;0.05"                     "nan")
case(no_rate                "1000,3"                          "nan")
case(empty_input            ""                                "nan")
case(bare_sign              "-,3,0.05"                        "nan")
case(empty_hex              "0x,3,0.05"                       "nan")
case(incomplete_infinity    "infin,3,0.05"                    "nan")

# Terms beyond what a 32-bit period counter can count. Each finishes within the
# rows' timeout only through a shortcut; period by period, most take hours.
case(even_term_beyond_2p31  "1000,2147483648,-2"              "1000.00")
case(odd_term_beyond_2p31   "1000,2147483649,-2"              "-1000.00")
case(huge_term_settles      "1000,1e30,0"                     "1000.00")
case(huge_term_overflows    "1000,1e30,0.05"                  "inf")
case(huge_term_is_even      "1000,1e30,-3"                    "inf")
case(infinite_term          "1000,inf,0.05"                   "inf")
case(infinite_term_decays   "1000,inf,-0.05"                  "0.00")
case(infinite_term_alternates "1000,inf,-2"                   "nan")
case(certain_overflow       "1000,1e15,1e-9"                  "inf")
case(runs_until_settled     "1,1e30,-1e-15"                   "0.00")
case(infinite_runs_down     "1000,inf,-1e-12"                 "0.00")
case(nan_rate_settles       "1000,1e30,nan"                   "nan")
case(minus_infinite_rate    "1000,1e30,-inf"                  "inf")
case(runs_to_window_edges   "1e16,9007199254740992,0x1p-52"   "60000000000000000.00")
case(runs_onto_powers_of_2  "1e16,9007199254740992,-0x1p-52"  "1562499999999999.25")
case(runs_across_a_binade   "1000000000000,1000000000,-0.000000001" "367879451391.85")

write_failure(full_output   "1000,3,0.05")
read_failure(directory_input)
