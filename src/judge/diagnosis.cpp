// The diagnosis: one pass over the output's order, then its values counted against the
// reference's, and each fault named only where the facts leave no other reading.
#include "diagnosis.hpp"

#include <algorithm>
#include <charconv>
#include <string_view>

#include "radix_sort.hpp"

namespace {

// The decimal text of `value`, as a program that sorts the words of its input sees it.
struct DecimalText {
  char digits[12];
  std::size_t size;
  explicit DecimalText(std::int32_t value)
      : size(static_cast<std::size_t>(std::to_chars(digits, digits + sizeof digits, value).ptr -
                                      digits)) {}
  std::string_view text() const { return {digits, size}; }
};

// Whether every value of the output from `from` on is at least the one before in the order of
// their decimal texts.
bool in_text_order(const ValueList& reference, const OutputComparison& comparison,
                   std::uint64_t from) {
  for (std::uint64_t position = from; position + 1 < comparison.size; ++position) {
    if (DecimalText(output_value(reference, comparison, position + 1)).text() <
        DecimalText(output_value(reference, comparison, position)).text())
      return false;
  }
  return true;
}

// Counts the values that `reference` and `output`, both in ascending order, do not share.
void count_differences(const std::int32_t* reference, const std::int32_t* reference_end,
                       const std::int32_t* output, const std::int32_t* output_end,
                       OutputFacts& facts) {
  std::int32_t last_missing = 0, last_extra = 0;
  const auto missing = [&](std::int32_t value) {
    if (facts.missing_total > 0 && value == last_missing) {
      ++facts.missing_total;
      if (facts.missing_shown == facts.missing_distinct)
        ++facts.missing[facts.missing_shown - 1].times;
      return;
    }
    last_missing = value;
    ++facts.missing_total;
    ++facts.missing_distinct;
    if (facts.missing_shown < kValuesShown) facts.missing[facts.missing_shown++] = {value, 1};
  };
  const auto extra = [&](std::int32_t value) {
    if (facts.extra_total > 0 && value == last_extra) {
      ++facts.extra_total;
      if (facts.extra_shown == facts.extra_distinct) ++facts.extra[facts.extra_shown - 1].times;
      return;
    }
    last_extra = value;
    ++facts.extra_total;
    ++facts.extra_distinct;
    if (facts.extra_shown < kValuesShown) facts.extra[facts.extra_shown++] = {value, 1};
  };
  while (reference != reference_end && output != output_end) {
    if (*reference == *output) {
      ++reference;
      ++output;
    } else if (*reference < *output) {
      missing(*reference++);
    } else {
      extra(*output++);
    }
  }
  for (; reference != reference_end; ++reference)
    missing(*reference);
  for (; output != output_end; ++output)
    extra(*output);
}

// One line of the diagnosis, its start written.
ShortLine diagnosis_line() {
  ShortLine line;
  line.add("Diagnosis: ");
  return line;
}

// "N values" or "1 value".
void add_values(ShortLine& line, std::uint64_t count) {
  line.add_number(count);
  line.add(count == 1 ? " value" : " values");
}

// Values and how many times each, as long as the line has room, and "..." for the rest.
void add_value_list(ShortLine& line, const ValueTimes* values, std::size_t shown,
                    std::size_t distinct) {
  for (std::size_t i = 0; i < shown; ++i) {
    ShortLine item;
    item.add(i == 0 ? " " : ", ");
    item.add_number(values[i].value);
    if (values[i].times > 1) {
      item.add(" (");
      item.add_number(values[i].times);
      item.add(" times)");
    }
    if (line.text().size() + item.text().size() + 6 > kDiagnosisLineBytes) {
      line.add(" and more");
      return;
    }
    line.add(item.text());
  }
  if (distinct > shown) line.add(" and more");
}

void end(ShortLine& line, const LineSink& sink) {
  line.add("\n");
  sink(line.text());
}

void write_counts(const OutputFacts& facts, const LineSink& sink) {
  ShortLine line = diagnosis_line();
  line.add("your output holds ");
  if (!facts.output_size_exact) {
    line.add("more than ");
    add_values(line, facts.output_size - 1);
    line.add(", the input ");
    line.add_number(facts.input_size);
    line.add(".");
  } else if (facts.output_size == facts.input_size) {
    add_values(line, facts.output_size);
    line.add(", as many as the input.");
  } else {
    add_values(line, facts.output_size);
    line.add(" and the input ");
    line.add_number(facts.input_size);
    line.add(": ");
    const bool fewer = facts.output_size < facts.input_size;
    line.add_number(fewer ? facts.input_size - facts.output_size
                          : facts.output_size - facts.input_size);
    line.add(fewer ? " fewer." : " more.");
  }
  end(line, sink);
}

void write_values(const OutputFacts& facts, bool hidden, const LineSink& sink) {
  if (facts.missing_total > 0) {
    ShortLine line = diagnosis_line();
    add_values(line, facts.missing_total);
    line.add(" of the input ");
    line.add(facts.missing_total == 1 ? "is" : "are");
    line.add(" missing from your output");
    if (!hidden) {
      line.add(":");
      add_value_list(line, facts.missing, facts.missing_shown, facts.missing_distinct);
    }
    line.add(".");
    end(line, sink);
  }
  if (facts.extra_total > 0) {
    ShortLine line = diagnosis_line();
    line.add("your output holds ");
    add_values(line, facts.extra_total);
    line.add(" the input does not");
    if (!hidden) {
      line.add(":");
      add_value_list(line, facts.extra, facts.extra_shown, facts.extra_distinct);
    }
    line.add(".");
    end(line, sink);
  }
}

void write_order(const OutputFacts& facts, bool hidden, const LineSink& sink) {
  ShortLine line = diagnosis_line();
  line.add("your output holds exactly the input's values, but ");
  line.add_number(facts.positions_differing);
  line.add(" of ");
  line.add_number(facts.output_size);
  line.add(" positions are out of order.");
  end(line, sink);
  line = diagnosis_line();
  line.add("the first value followed by a smaller one is at index ");
  line.add_number(facts.descent_at);
  if (!hidden) {
    line.add(": ");
    line.add_number(facts.descent_from);
    line.add(", then ");
    line.add_number(facts.descent_to);
  }
  line.add(".");
  end(line, sink);
}

// The fault that explains the whole difference, if one does: the first that fits. An empty
// output shows none.
void write_fault(const OutputFacts& facts, bool hidden, const LineSink& sink) {
  if (facts.output_size == 0) return;
  ShortLine line = diagnosis_line();
  if (facts.same_values && !facts.sorted && !facts.ascending) {
    line.add("your values are in descending order; they belong in ascending order.");
  } else if (facts.same_values && facts.input_order) {
    line.add("your output keeps the input's own order: the values were not sorted.");
  } else if (facts.same_values && facts.text_order) {
    line.add("your values are sorted as text, not as numbers: as text, \"10\" comes before \"9\".");
  } else if (facts.same_values && facts.overflow_order) {
    line.add("each value followed by a smaller one is more than 2^31 above it: the mark of a ");
    line.add("comparison that overflows, such as a - b.");
  } else if (facts.sorted && facts.missing_total == 1 && facts.extra_total == 0) {
    line.add("your output is the input's values, sorted, with one value dropped");
    if (!hidden) {
      line.add(" (");
      line.add_number(facts.missing[0].value);
      line.add(")");
    }
    line.add(".");
  } else if (facts.sorted && facts.extra_total == 1 && facts.missing_total == 0 &&
             facts.extra_in_input) {
    line.add("your output is the input's values, sorted, with one value repeated");
    if (!hidden) {
      line.add(" (");
      line.add_number(facts.extra[0].value);
      line.add(")");
    }
    line.add(".");
  } else if (facts.sorted && !facts.same_values) {
    line.add("your output is sorted, but holds other values than the input's.");
  } else {
    return;
  }
  end(line, sink);
}

// An output line's text, shown as the checker shows text, in quotes: as much as the line has
// room for, and "..." where there was more.
void add_quoted(ShortLine& line, std::string_view text, bool cut) {
  line.add("\"");
  for (std::size_t i = 0; i < text.size(); ++i) {
    ShortLine shown;
    add_shown_text(shown, text.substr(i, 1), false);
    // Room kept for "...", the closing quote, a full stop and the newline.
    if (line.text().size() + shown.text().size() + 6 > kDiagnosisLineBytes) {
      cut = true;
      break;
    }
    line.add(shown.text());
  }
  if (cut) line.add("...");
  line.add("\"");
}

// What the shapes of the output's lines show, the first that fits.
enum class Shape { none, one_word, count_first, one_line, one_other_line };

Shape shape_of(const LineShapes& shapes, std::uint64_t input_size) {
  if (shapes.lines >= 2 && shapes.one_word_lines == shapes.lines) return Shape::one_word;
  const auto first_value = static_cast<std::uint64_t>(shapes.first_line_value);
  if (shapes.lines >= 2 && shapes.first_line_integer && shapes.record_lines == shapes.lines - 1 &&
      (first_value == input_size || first_value == shapes.lines - 1))
    return Shape::count_first;
  if (shapes.lines == 1 && shapes.widest_words >= 3) return Shape::one_line;
  if (shapes.lines >= 3 && shapes.record_lines == shapes.lines - 1 && shapes.decimal_line == 0)
    return Shape::one_other_line;
  return Shape::none;
}

void write_shape(const LineShapes& shapes, Shape shape, bool hidden, const LineSink& sink) {
  ShortLine line = diagnosis_line();
  switch (shape) {
    case Shape::none:
      return;
    case Shape::one_word:
      line.add("every line of your output holds one word, a value without its label: each value ");
      line.add("needs a label before it.");
      break;
    case Shape::count_first:
      line.add("the first line of your output holds only the number of values");
      if (!hidden) {
        line.add(" (");
        line.add_number(shapes.first_line_value);
        line.add(")");
      }
      line.add(", which is read as a label.");
      break;
    case Shape::one_line:
      line.add("all ");
      line.add_number(shapes.widest_words);
      line.add(" words of your output are on line ");
      line.add_number(shapes.widest_line);
      line.add(": write one record a line, a label and a value.");
      break;
    case Shape::one_other_line:
      line.add("line ");
      line.add_number(shapes.other_line);
      line.add(" of your output is not a record");
      if (!hidden) {
        line.add(": ");
        add_quoted(line, shapes.other(), shapes.other_cut);
      }
      line.add(".");
      break;
  }
  end(line, sink);
}

void write_decimal(const LineShapes& shapes, bool hidden, const LineSink& sink) {
  if (shapes.decimal_line == 0) return;
  ShortLine line = diagnosis_line();
  line.add("line ");
  line.add_number(shapes.decimal_line);
  line.add(" of your output has ");
  if (hidden) {
    line.add("a number with a decimal point");
  } else {
    add_quoted(line, shapes.decimal(), shapes.decimal_cut);
  }
  line.add(" where a whole number belongs.");
  end(line, sink);
}

}  // namespace

std::int32_t output_value(const ValueList& reference, const OutputComparison& comparison,
                          std::uint64_t position) {
  return position < comparison.first_difference
             ? reference[static_cast<std::size_t>(position)]
             : comparison.from_first_difference[static_cast<std::size_t>(
                   position - comparison.first_difference)];
}

OutputFacts facts_of(const ValueList& reference, OutputComparison& comparison, bool output_complete,
                     const FunctionRef<bool()>& in_input_order) {
  OutputFacts facts;
  facts.input_size = reference.size();
  facts.output_size = comparison.size;
  facts.output_size_exact = output_complete;
  facts.positions_differing = comparison.differing;
  if (!comparison.values_kept || !output_complete) return facts;
  facts.values_known = true;
  // Before the first difference the output is the reference, sorted: only from the value before
  // it on can a value be followed by a smaller one. The kept values are looked at where they lie.
  const std::uint64_t first = comparison.first_difference;
  const ValueList& kept_in_order = comparison.from_first_difference;
  facts.ascending = first >= 2 && reference[0] < reference[static_cast<std::size_t>(first - 1)];
  bool every_descent_wide = true;
  const auto pair = [&](std::uint64_t position, std::int32_t value, std::int32_t next) {
    if (value <= next) {
      facts.ascending |= value < next;
      return;
    }
    if (!facts.has_descent) {
      facts.has_descent = true;
      facts.descent_at = position;
      facts.descent_from = value;
      facts.descent_to = next;
    }
    every_descent_wide &= std::int64_t{value} - next > (std::int64_t{1} << 31);
  };
  if (first > 0 && kept_in_order.size() > 0)
    pair(first - 1, reference[static_cast<std::size_t>(first - 1)], kept_in_order[0]);
  for (std::size_t i = 0; i + 1 < kept_in_order.size(); ++i)
    pair(first + i, kept_in_order[i], kept_in_order[i + 1]);
  facts.sorted = !facts.has_descent;
  facts.overflow_order = facts.has_descent && every_descent_wide;
  if (!facts.sorted) {
    facts.text_order = in_text_order(reference, comparison, first == 0 ? 0 : first - 1);
    // Read again only where nothing else explains the order; a mismatch ends it at once.
    facts.input_order =
        facts.ascending && !facts.text_order && !facts.overflow_order && in_input_order();
    ValueList& kept = comparison.from_first_difference;
    sort_values(kept.data(), kept.size());
  }
  // The output's values from the first difference on against the reference's: before it, they
  // are the same.
  const ValueList& kept = comparison.from_first_difference;
  count_differences(reference.data() + first, reference.data() + reference.size(), kept.begin(),
                    kept.end(), facts);
  facts.same_values = facts.missing_total == 0 && facts.extra_total == 0;
  facts.extra_in_input =
      facts.extra_total == 1 &&
      std::binary_search(reference.begin(), reference.end(), facts.extra[0].value);
  return facts;
}

void write_diagnosis(const DiagnosisSources& sources, bool hidden, const LineSink& sink) {
  // A shape of the lines explains more than the values read from them.
  const Shape shape =
      sources.shapes != nullptr ? shape_of(*sources.shapes, sources.input_size) : Shape::none;
  if (sources.output_open_errno != 0) {
    ShortLine line = diagnosis_line();
    line.add("your output file cannot be opened (");
    line.add(reason_text(sources.output_open_errno).text());
    line.add("), so it reads as empty.");
    end(line, sink);
  }
  if (sources.facts != nullptr) {
    const OutputFacts& facts = *sources.facts;
    write_counts(facts, sink);
    if (facts.values_known) {
      if (!facts.same_values) {
        write_values(facts, hidden, sink);
      } else if (!facts.sorted) {
        write_order(facts, hidden, sink);
      }
      if (shape == Shape::none) write_fault(facts, hidden, sink);
    }
  }
  if (sources.shapes != nullptr) {
    write_shape(*sources.shapes, shape, hidden, sink);
    write_decimal(*sources.shapes, hidden, sink);
  }
  // After what could be said: the counts need no more than the reference.
  if (sources.left_out) {
    ShortLine line = diagnosis_line();
    line.add("the rest is left out, for want of memory.");
    end(line, sink);
  }
}
