// The JSONTestSuite parsing corpus, judged by this library's own dialect:
// comments, one leading zero ("01"), C whitespace (\v and \f too), any top-level
// value, at most 128 open containers, string bytes >= 0x80 copied unchecked,
// no byte order mark skipping.
#include <kivJSON/JSONErrorCat.h>
#include <kivJSON/JSONValue.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <sstream>
#include <string>

namespace {

struct Expectation {
    const char* file;
    int code;  // 0 = parses
};

// Files whose verdict differs from their y_/n_ prefix, and every i_ file, say why.
const Expectation kExpected[] = {
    {"i_number_double_huge_neg_exp.json",
     0},  // out-of-range numbers convert to infinity, zero or a double, without error
    {"i_number_huge_exp.json",
     0},  // out-of-range numbers convert to infinity, zero or a double, without error
    {"i_number_neg_int_huge_exp.json",
     0},  // out-of-range numbers convert to infinity, zero or a double, without error
    {"i_number_pos_double_huge_exp.json",
     0},  // out-of-range numbers convert to infinity, zero or a double, without error
    {"i_number_real_neg_overflow.json",
     0},  // out-of-range numbers convert to infinity, zero or a double, without error
    {"i_number_real_pos_overflow.json",
     0},  // out-of-range numbers convert to infinity, zero or a double, without error
    {"i_number_real_underflow.json",
     0},  // out-of-range numbers convert to infinity, zero or a double, without error
    {"i_number_too_big_neg_int.json",
     0},  // out-of-range numbers convert to infinity, zero or a double, without error
    {"i_number_too_big_pos_int.json",
     0},  // out-of-range numbers convert to infinity, zero or a double, without error
    {"i_number_very_big_negative_int.json",
     0},  // out-of-range numbers convert to infinity, zero or a double, without error
    {"i_object_key_lone_2nd_surrogate.json", 0},  // a lone low surrogate is converted as it stands
    {"i_string_1st_surrogate_but_2nd_missing.json",
     7},  // a high surrogate must be followed by \u and four hex digits
    {"i_string_1st_valid_surrogate_2nd_invalid.json",
     0},                                     // a high surrogate takes any following \u unit
    {"i_string_UTF-16LE_with_BOM.json", 8},  // byte 0xFF starts no token
    {"i_string_UTF-8_invalid_sequence.json",
     0},  // bytes >= 0x80 inside strings are copied without a UTF-8 check
    {"i_string_UTF8_surrogate_U+D800.json",
     0},  // bytes >= 0x80 inside strings are copied without a UTF-8 check
    {"i_string_incomplete_surrogate_and_escape_valid.json",
     7},  // a high surrogate must be followed by \u, not \n
    {"i_string_incomplete_surrogate_pair.json",
     0},  // \uDd1e is a lone low surrogate, then a plain a
    {"i_string_incomplete_surrogates_escape_valid.json",
     0},  // a high surrogate takes any following \u unit
    {"i_string_invalid_lonely_surrogate.json",
     7},  // a high surrogate must be followed by \u and four hex digits
    {"i_string_invalid_surrogate.json",
     7},  // a high surrogate must be followed by \u and four hex digits
    {"i_string_invalid_utf-8.json",
     0},  // bytes >= 0x80 inside strings are copied without a UTF-8 check
    {"i_string_inverted_surrogates_U+1D11E.json",
     7},  // the second unit is a high surrogate with nothing after it
    {"i_string_iso_latin_1.json",
     0},  // bytes >= 0x80 inside strings are copied without a UTF-8 check
    {"i_string_lone_second_surrogate.json", 0},  // a lone low surrogate is converted as it stands
    {"i_string_lone_utf8_continuation_byte.json",
     0},  // bytes >= 0x80 inside strings are copied without a UTF-8 check
    {"i_string_not_in_unicode_range.json",
     0},  // bytes >= 0x80 inside strings are copied without a UTF-8 check
    {"i_string_overlong_sequence_2_bytes.json",
     0},  // bytes >= 0x80 inside strings are copied without a UTF-8 check
    {"i_string_overlong_sequence_6_bytes.json",
     0},  // bytes >= 0x80 inside strings are copied without a UTF-8 check
    {"i_string_overlong_sequence_6_bytes_null.json",
     0},  // bytes >= 0x80 inside strings are copied without a UTF-8 check
    {"i_string_truncated-utf-8.json",
     0},  // bytes >= 0x80 inside strings are copied without a UTF-8 check
    {"i_string_utf16BE_no_BOM.json", 8},             // a NUL byte starts no token
    {"i_string_utf16LE_no_BOM.json", 8},             // a NUL byte starts no token
    {"i_structure_500_nested_arrays.json", 10},      // more than 128 open containers
    {"i_structure_UTF-8_BOM_empty_object.json", 8},  // a byte order mark is not skipped
    {"n_array_1_true_without_comma.json", 2},
    {"n_array_a_invalid_utf8.json", 8},
    {"n_array_colon_instead_of_comma.json", 2},
    {"n_array_comma_after_close.json", 1},
    {"n_array_comma_and_number.json", 8},
    {"n_array_double_comma.json", 8},
    {"n_array_double_extra_comma.json", 8},
    {"n_array_extra_close.json", 9},
    {"n_array_extra_comma.json", 8},
    {"n_array_incomplete.json", 2},
    {"n_array_incomplete_invalid_value.json", 8},
    {"n_array_inner_array_no_comma.json", 2},
    {"n_array_invalid_utf8.json", 8},
    {"n_array_items_separated_by_semicolon.json", 2},
    {"n_array_just_comma.json", 8},
    {"n_array_just_minus.json", 6},
    {"n_array_missing_value.json", 8},
    {"n_array_newlines_unclosed.json", 8},
    {"n_array_number_and_comma.json", 8},
    {"n_array_number_and_several_commas.json", 8},
    {"n_array_spaces_vertical_tab_formfeed.json", 7},
    {"n_array_star_inside.json", 8},
    {"n_array_unclosed.json", 2},
    {"n_array_unclosed_trailing_comma.json", 8},
    {"n_array_unclosed_with_new_lines.json", 2},
    {"n_array_unclosed_with_object_inside.json", 2},
    {"n_incomplete_false.json", 4},
    {"n_incomplete_null.json", 4},
    {"n_incomplete_true.json", 4},
    {"n_multidigit_number_then_00.json", 8},
    {"n_number_++.json", 8},
    {"n_number_+1.json", 8},
    {"n_number_+Inf.json", 8},
    {"n_number_-01.json", 0},  // one leading zero is allowed: -01 is -1
    {"n_number_-1.0..json", 6},
    {"n_number_-2..json", 6},
    {"n_number_-NaN.json", 6},
    {"n_number_.-1.json", 8},
    {"n_number_.2e-3.json", 8},
    {"n_number_0.1.2.json", 6},
    {"n_number_0.3e+.json", 6},
    {"n_number_0.3e.json", 6},
    {"n_number_0.e1.json", 6},
    {"n_number_0_capital_E+.json", 6},
    {"n_number_0_capital_E.json", 6},
    {"n_number_0e+.json", 6},
    {"n_number_0e.json", 6},
    {"n_number_1.0e+.json", 6},
    {"n_number_1.0e-.json", 6},
    {"n_number_1.0e.json", 6},
    {"n_number_1_000.json", 6},
    {"n_number_1eE2.json", 6},
    {"n_number_2.e+3.json", 6},
    {"n_number_2.e-3.json", 6},
    {"n_number_2.e3.json", 6},
    {"n_number_9.e+.json", 6},
    {"n_number_Inf.json", 8},
    {"n_number_NaN.json", 8},
    {"n_number_U+FF11_fullwidth_digit_one.json", 8},
    {"n_number_expression.json", 8},
    {"n_number_hex_1_digit.json", 8},
    {"n_number_hex_2_digits.json", 8},
    {"n_number_infinity.json", 8},
    {"n_number_invalid+-.json", 6},
    {"n_number_invalid-negative-real.json", 4},
    {"n_number_invalid-utf-8-in-bigger-int.json", 8},
    {"n_number_invalid-utf-8-in-exponent.json", 8},
    {"n_number_invalid-utf-8-in-int.json", 8},
    {"n_number_minus_infinity.json", 6},
    {"n_number_minus_sign_with_trailing_garbage.json", 6},
    {"n_number_minus_space_1.json", 6},
    {"n_number_neg_int_starting_with_zero.json", 0},  // one leading zero is allowed: -012 is -12
    {"n_number_neg_real_without_int_part.json", 6},
    {"n_number_neg_with_garbage_at_end.json", 8},
    {"n_number_real_garbage_after_e.json", 6},
    {"n_number_real_with_invalid_utf8_after_e.json", 6},
    {"n_number_real_without_fractional_part.json", 6},
    {"n_number_starting_with_dot.json", 8},
    {"n_number_with_alpha.json", 8},
    {"n_number_with_alpha_char.json", 8},
    {"n_number_with_leading_zero.json", 0},  // one leading zero is allowed: 012 is 12
    {"n_object_bad_value.json", 4},
    {"n_object_bracket_key.json", 5},
    {"n_object_comma_instead_of_colon.json", 5},
    {"n_object_double_colon.json", 8},
    {"n_object_emoji.json", 8},
    {"n_object_garbage_at_end.json", 5},
    {"n_object_key_with_single_quotes.json", 8},
    {"n_object_lone_continuation_byte_in_key_and_trailing_comma.json", 5},
    {"n_object_missing_colon.json", 8},
    {"n_object_missing_key.json", 5},
    {"n_object_missing_semicolon.json", 5},
    {"n_object_missing_value.json", 8},
    {"n_object_no-colon.json", 5},
    {"n_object_non_string_key.json", 5},
    {"n_object_non_string_key_but_huge_number_instead.json", 5},
    {"n_object_repeated_null_null.json", 5},
    {"n_object_several_trailing_commas.json", 5},
    {"n_object_single_quote.json", 8},
    {"n_object_trailing_comma.json", 5},
    {"n_object_trailing_comment.json", 0},  // comments are allowed
    {"n_object_trailing_comment_open.json", 3},
    {"n_object_trailing_comment_slash_open.json",
     0},  // a line comment may end at the end of the input
    {"n_object_trailing_comment_slash_open_incomplete.json", 3},
    {"n_object_two_commas_in_a_row.json", 5},
    {"n_object_unquoted_key.json", 8},
    {"n_object_unterminated-value.json", 7},
    {"n_object_with_single_string.json", 5},
    {"n_object_with_trailing_garbage.json", 8},
    {"n_single_space.json", 8},
    {"n_string_1_surrogate_then_escape.json", 7},
    {"n_string_1_surrogate_then_escape_u.json", 7},
    {"n_string_1_surrogate_then_escape_u1.json", 7},
    {"n_string_1_surrogate_then_escape_u1x.json", 7},
    {"n_string_accentuated_char_no_quotes.json", 8},
    {"n_string_backslash_00.json", 7},
    {"n_string_escape_x.json", 7},
    {"n_string_escaped_backslash_bad.json", 7},
    {"n_string_escaped_ctrl_char_tab.json", 7},
    {"n_string_escaped_emoji.json", 7},
    {"n_string_incomplete_escape.json", 7},
    {"n_string_incomplete_escaped_character.json", 7},
    {"n_string_incomplete_surrogate.json", 7},
    {"n_string_incomplete_surrogate_escape_invalid.json", 7},
    {"n_string_invalid-utf-8-in-escape.json", 7},
    {"n_string_invalid_backslash_esc.json", 7},
    {"n_string_invalid_unicode_escape.json", 7},
    {"n_string_invalid_utf8_after_escape.json", 7},
    {"n_string_leading_uescaped_thinspace.json", 8},
    {"n_string_no_quotes_with_bad_escape.json", 8},
    {"n_string_single_doublequote.json", 7},
    {"n_string_single_quote.json", 8},
    {"n_string_single_string_no_double_quotes.json", 8},
    {"n_string_start_escape_unclosed.json", 7},
    {"n_string_unescaped_ctrl_char.json", 7},
    {"n_string_unescaped_newline.json", 7},
    {"n_string_unescaped_tab.json", 7},
    {"n_string_unicode_CapitalU.json", 7},
    {"n_string_with_trailing_garbage.json", 8},
    {"n_structure_100000_opening_arrays.json", 10},
    {"n_structure_U+2060_word_joined.json", 8},
    {"n_structure_UTF8_BOM_no_data.json", 8},
    {"n_structure_angle_bracket_..json", 8},
    {"n_structure_angle_bracket_null.json", 8},
    {"n_structure_array_trailing_garbage.json", 8},
    {"n_structure_array_with_extra_array_close.json", 9},
    {"n_structure_array_with_unclosed_string.json", 7},
    {"n_structure_ascii-unicode-identifier.json", 8},
    {"n_structure_capitalized_True.json", 8},
    {"n_structure_close_unopened_array.json", 9},
    {"n_structure_comma_instead_of_closing_brace.json", 5},
    {"n_structure_double_array.json", 1},
    {"n_structure_end_array.json", 9},
    {"n_structure_incomplete_UTF8_BOM.json", 8},
    {"n_structure_lone-invalid-utf-8.json", 8},
    {"n_structure_lone-open-bracket.json", 8},
    {"n_structure_no_data.json", 8},
    {"n_structure_null-byte-outside-string.json", 8},
    {"n_structure_number_with_trailing_garbage.json", 8},
    {"n_structure_object_followed_by_closing_object.json", 9},
    {"n_structure_object_unclosed_no_value.json", 8},
    {"n_structure_object_with_comment.json", 0},  // comments are allowed
    {"n_structure_object_with_trailing_garbage.json", 1},
    {"n_structure_open_array_apostrophe.json", 8},
    {"n_structure_open_array_comma.json", 8},
    {"n_structure_open_array_object.json", 10},
    {"n_structure_open_array_open_object.json", 5},
    {"n_structure_open_array_open_string.json", 7},
    {"n_structure_open_array_string.json", 2},
    {"n_structure_open_object.json", 5},
    {"n_structure_open_object_close_array.json", 5},
    {"n_structure_open_object_comma.json", 5},
    {"n_structure_open_object_open_array.json", 5},
    {"n_structure_open_object_open_string.json", 7},
    {"n_structure_open_object_string_with_apostrophes.json", 8},
    {"n_structure_open_open.json", 7},
    {"n_structure_single_eacute.json", 8},
    {"n_structure_single_star.json", 8},
    {"n_structure_trailing_#.json", 8},
    {"n_structure_uescaped_LF_before_string.json", 8},
    {"n_structure_unclosed_array.json", 2},
    {"n_structure_unclosed_array_partial_null.json", 4},
    {"n_structure_unclosed_array_unfinished_false.json", 4},
    {"n_structure_unclosed_array_unfinished_true.json", 4},
    {"n_structure_unclosed_object.json", 5},
    {"n_structure_unicode-identifier.json", 8},
    {"n_structure_whitespace_U+2060_word_joiner.json", 8},
    {"n_structure_whitespace_formfeed.json", 0},  // form feed is whitespace: an empty array
    {"y_array_arraysWithSpaces.json", 0},
    {"y_array_empty-string.json", 0},
    {"y_array_empty.json", 0},
    {"y_array_ending_with_newline.json", 0},
    {"y_array_false.json", 0},
    {"y_array_heterogeneous.json", 0},
    {"y_array_null.json", 0},
    {"y_array_with_1_and_newline.json", 0},
    {"y_array_with_leading_space.json", 0},
    {"y_array_with_several_null.json", 0},
    {"y_array_with_trailing_space.json", 0},
    {"y_number.json", 0},
    {"y_number_0e+1.json", 0},
    {"y_number_0e1.json", 0},
    {"y_number_after_space.json", 0},
    {"y_number_double_close_to_zero.json", 0},
    {"y_number_int_with_exp.json", 0},
    {"y_number_minus_zero.json", 0},
    {"y_number_negative_int.json", 0},
    {"y_number_negative_one.json", 0},
    {"y_number_negative_zero.json", 0},
    {"y_number_real_capital_e.json", 0},
    {"y_number_real_capital_e_neg_exp.json", 0},
    {"y_number_real_capital_e_pos_exp.json", 0},
    {"y_number_real_exponent.json", 0},
    {"y_number_real_fraction_exponent.json", 0},
    {"y_number_real_neg_exp.json", 0},
    {"y_number_real_pos_exponent.json", 0},
    {"y_number_simple_int.json", 0},
    {"y_number_simple_real.json", 0},
    {"y_object.json", 0},
    {"y_object_basic.json", 0},
    {"y_object_duplicated_key.json", 0},
    {"y_object_duplicated_key_and_value.json", 0},
    {"y_object_empty.json", 0},
    {"y_object_empty_key.json", 0},
    {"y_object_escaped_null_in_key.json", 0},
    {"y_object_extreme_numbers.json", 0},
    {"y_object_long_strings.json", 0},
    {"y_object_simple.json", 0},
    {"y_object_string_unicode.json", 0},
    {"y_object_with_newlines.json", 0},
    {"y_string_1_2_3_bytes_UTF-8_sequences.json", 0},
    {"y_string_accepted_surrogate_pair.json", 0},
    {"y_string_accepted_surrogate_pairs.json", 0},
    {"y_string_allowed_escapes.json", 0},
    {"y_string_backslash_and_u_escaped_zero.json", 0},
    {"y_string_backslash_doublequotes.json", 0},
    {"y_string_comments.json", 0},
    {"y_string_double_escape_a.json", 0},
    {"y_string_double_escape_n.json", 0},
    {"y_string_escaped_control_character.json", 0},
    {"y_string_escaped_noncharacter.json", 0},
    {"y_string_in_array.json", 0},
    {"y_string_in_array_with_leading_space.json", 0},
    {"y_string_last_surrogates_1_and_2.json", 0},
    {"y_string_nbsp_uescaped.json", 0},
    {"y_string_nonCharacterInUTF-8_U+10FFFF.json", 0},
    {"y_string_nonCharacterInUTF-8_U+FFFF.json", 0},
    {"y_string_null_escape.json", 0},
    {"y_string_one-byte-utf-8.json", 0},
    {"y_string_pi.json", 0},
    {"y_string_reservedCharacterInUTF-8_U+1BFFF.json", 0},
    {"y_string_simple_ascii.json", 0},
    {"y_string_space.json", 0},
    {"y_string_surrogates_U+1D11E_MUSICAL_SYMBOL_G_CLEF.json", 0},
    {"y_string_three-byte-utf-8.json", 0},
    {"y_string_two-byte-utf-8.json", 0},
    {"y_string_u+2028_line_sep.json", 0},
    {"y_string_u+2029_par_sep.json", 0},
    {"y_string_uEscape.json", 0},
    {"y_string_uescaped_newline.json", 0},
    {"y_string_unescaped_char_delete.json", 0},
    {"y_string_unicode.json", 0},
    {"y_string_unicodeEscapedBackslash.json", 0},
    {"y_string_unicode_2.json", 0},
    {"y_string_unicode_U+10FFFE_nonchar.json", 0},
    {"y_string_unicode_U+1FFFE_nonchar.json", 0},
    {"y_string_unicode_U+200B_ZERO_WIDTH_SPACE.json", 0},
    {"y_string_unicode_U+2064_invisible_plus.json", 0},
    {"y_string_unicode_U+FDD0_nonchar.json", 0},
    {"y_string_unicode_U+FFFE_nonchar.json", 0},
    {"y_string_unicode_escaped_double_quote.json", 0},
    {"y_string_utf8.json", 0},
    {"y_string_with_del_character.json", 0},
    {"y_structure_lonely_false.json", 0},
    {"y_structure_lonely_int.json", 0},
    {"y_structure_lonely_negative_real.json", 0},
    {"y_structure_lonely_null.json", 0},
    {"y_structure_lonely_string.json", 0},
    {"y_structure_lonely_true.json", 0},
    {"y_structure_string_empty.json", 0},
    {"y_structure_trailing_newline.json", 0},
    {"y_structure_true_in_array.json", 0},
    {"y_structure_whitespace_array.json", 0},
};

TEST(Conformance, CorpusMatchesTheTable) {
    namespace fs = std::filesystem;
    const fs::path dir = fs::path(KIVJSON_DATA_DIR) / "conformance" / "test_parsing";
    if (!fs::is_directory(dir)) {
        GTEST_SKIP() << "conformance corpus not found at " << dir;
    }
    std::map<std::string, int> expected;
    for (const Expectation& e : kExpected) {
        EXPECT_TRUE(expected.emplace(e.file, e.code).second) << "listed twice: " << e.file;
    }
    std::set<std::string> seen;
    for (const fs::directory_entry& entry : fs::directory_iterator(dir)) {
        const std::string name = entry.path().filename().string();
        seen.insert(name);
        const auto it = expected.find(name);
        if (it == expected.end()) {
            ADD_FAILURE() << "corpus file missing from the table: " << name;
            continue;
        }
        std::ifstream file(entry.path(), std::ios::binary);
        const std::string text{std::istreambuf_iterator<char>(file), {}};

        std::error_code ec;
        const JsonValue fromString = JsonValue::Parse(text, ec);
        EXPECT_EQ(ec.value(), it->second) << name << ": " << ec.message();

        std::istringstream in(text);
        std::error_code streamEc;
        const JsonValue fromStream = JsonValue::Parse(in, streamEc);
        EXPECT_EQ(streamEc, ec) << name << " (stream)";
        EXPECT_TRUE(fromStream == fromString) << name << " (stream)";
    }
    for (const auto& [name, code] : expected) {
        EXPECT_TRUE(seen.count(name) == 1) << "table names a file not in the corpus: " << name;
    }
}

}  // namespace
