// Reader of the bank file format: splits each line into words and quoted names, then checks
// and stores the statements of a master, strings or events bank.
#include "Audio/BankFile.h"

#include <charconv>
#include <cmath>
#include <set>

namespace audio {
namespace {

struct Word {
  std::string text;
  bool quoted = false;
};

// Splits one line into words; a '#' outside quotes starts a comment. A quoted name runs to the
// next '"' on the same line and may hold spaces but no quote.
bool SplitLine(std::string_view line, std::vector<Word>& words, std::string& problem) {
  words.clear();
  size_t i = 0;
  while (i < line.size()) {
    char c = line[i];
    if (c == ' ' || c == '\t' || c == '\r') {
      ++i;
    } else if (c == '#') {
      break;
    } else if (c == '"') {
      size_t end = line.find('"', i + 1);
      if (end == std::string_view::npos) {
        problem = "a quoted name is not closed";
        return false;
      }
      std::string_view name = line.substr(i + 1, end - i - 1);
      for (char n : name)
        if (static_cast<unsigned char>(n) < 0x20) {
          problem = "a control character inside a quoted name";
          return false;
        }
      words.push_back({std::string(name), true});
      i = end + 1;
    } else if (static_cast<unsigned char>(c) < 0x20) {
      problem = "a control character outside a quoted name";
      return false;
    } else {
      size_t end = i;
      while (end < line.size() && line[end] != ' ' && line[end] != '"' && line[end] != '#' &&
             static_cast<unsigned char>(line[end]) >= 0x20)
        ++end;
      words.push_back({std::string(line.substr(i, end - i)), false});
      i = end;
    }
  }
  return true;
}

// The statements of one line, read word by word.
class Statement {
public:
  Statement(const std::vector<Word>& words, std::string& problem)
      : words(words), problem(problem) {}

  bool AtEnd() const { return next >= words.size(); }
  const Word* Peek() const { return AtEnd() ? nullptr : &words[next]; }

  bool Keyword(const char* expected) {
    if (AtEnd() || words[next].quoted || words[next].text != expected)
      return Fail(std::string("\"") + expected + "\" expected");
    ++next;
    return true;
  }

  bool Name(std::string& out, const char* what) {
    if (AtEnd() || !words[next].quoted)
      return Fail(std::string(what) + " expected, in double quotes");
    if (words[next].text.empty())
      return Fail(std::string(what) + " is empty");
    out = words[next++].text;
    return true;
  }

  bool Id(std::string& out) {
    if (AtEnd() || words[next].quoted)
      return Fail("an event id expected (a plain word)");
    out = words[next++].text;
    return true;
  }

  bool Number(float& out, const char* what, float low, float high) {
    if (AtEnd() || words[next].quoted)
      return Fail(std::string("a number expected for ") + what);
    const std::string& text = words[next].text;
    float value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
      return Fail("\"" + text + "\" is not a number (" + what + ")");
    if (value < low || value > high)
      return Fail(std::string(what) + " " + text + " is outside " + Range(low, high));
    out = value;
    ++next;
    return true;
  }

  bool Flag(bool& out, const char* what) {
    if (!AtEnd() && !words[next].quoted &&
        (words[next].text == "true" || words[next].text == "false")) {
      out = words[next++].text == "true";
      return true;
    }
    return Fail(std::string("true or false expected for ") + what);
  }

  bool Finish() {
    if (!AtEnd())
      return Fail("unexpected \"" + words[next].text + "\" at the end of the statement");
    return true;
  }

  bool Fail(const std::string& what) {
    problem = what;
    return false;
  }

private:
  static std::string Range(float low, float high) {
    auto text = [](float v) {
      std::string s = std::to_string(v);
      s.erase(s.find_last_not_of('0') + 1);
      if (!s.empty() && s.back() == '.')
        s.pop_back();
      return s;
    };
    return text(low) + ".." + text(high);
  }

  const std::vector<Word>& words;
  std::string& problem;
  size_t next = 0;
};

bool ReadHeader(Statement& s, BankKind& kind) {
  float version = 0;
  if (!s.Keyword("vantix-bank") || !s.Number(version, "the format version", 1, 1))
    return false;
  const Word* word = s.Peek();
  if (!word || word->quoted)
    return s.Fail("the bank kind expected (master, strings or events)");
  if (word->text == "master")
    kind = BankKind::Master;
  else if (word->text == "strings")
    kind = BankKind::Strings;
  else if (word->text == "events")
    kind = BankKind::Events;
  else
    return s.Fail("unknown bank kind \"" + word->text + "\" (master, strings or events)");
  s.Keyword(word->text.c_str());
  return s.Finish();
}

bool ReadParameter(Statement& s, ParameterSpec& p) {
  if (!s.Name(p.name, "the parameter name"))
    return false;
  std::set<std::string> seen;
  bool haveEffect = false;
  while (!s.AtEnd()) {
    const Word* word = s.Peek();
    std::string key = word->text;
    if (word->quoted || !seen.insert(key).second)
      return s.Fail(word->quoted ? "unexpected \"" + key + "\"" : "\"" + key + "\" given twice");
    s.Keyword(key.c_str());
    bool ok = true;
    if (key == "min")
      ok = s.Number(p.minimum, "min", -1e6f, 1e6f);
    else if (key == "max")
      ok = s.Number(p.maximum, "max", -1e6f, 1e6f);
    else if (key == "default")
      ok = s.Number(p.initial, "default", -1e6f, 1e6f);
    else if (key == "seek")
      ok = s.Number(p.seek, "seek", 0, 1e6f);
    else if (key == "pitch" || key == "volume" || key == "loop-start") {
      if (haveEffect)
        return s.Fail("a parameter controls one thing only");
      haveEffect = true;
      if (key == "loop-start") {
        p.effect = ParameterEffect::LoopStart;
      } else {
        bool pitch = key == "pitch";
        p.effect = pitch ? ParameterEffect::Pitch : ParameterEffect::Volume;
        float low = pitch ? 0.125f : 0.0f;
        float high = pitch ? 8.0f : kMaxVolume;
        ok = s.Number(p.from, key.c_str(), low, high) && s.Number(p.to, key.c_str(), low, high);
      }
    } else {
      return s.Fail("unknown parameter setting \"" + key + "\"");
    }
    if (!ok)
      return false;
  }
  if (!haveEffect)
    return s.Fail("the parameter controls nothing (pitch, volume or loop-start expected)");
  if (!(p.minimum < p.maximum))
    return s.Fail("min must be below max");
  if (p.initial < p.minimum || p.initial > p.maximum)
    return s.Fail("default lies outside min..max");
  if (p.effect == ParameterEffect::LoopStart && (p.minimum < 0 || p.maximum > 1))
    return s.Fail("a loop-start parameter lies within 0..1");
  return true;
}

// One statement inside "event <id>" ... "end".
bool ReadEventLine(Statement& s, EventSpec& e, std::set<std::string>& seen) {
  const Word* word = s.Peek();
  if (word->quoted)
    return s.Fail("unexpected \"" + word->text + "\"");
  std::string key = word->text;
  if (key != "parameter" && !seen.insert(key).second)
    return s.Fail("\"" + key + "\" given twice in one event");
  s.Keyword(key.c_str());
  float number = 0;
  if (key == "file")
    return s.Name(e.file, "the sound file name") && s.Finish();
  if (key == "bus")
    return s.Name(e.bus, "the bus path") && s.Finish();
  if (key == "volume")
    return s.Number(e.volume, "volume", 0, kMaxVolume) && s.Finish();
  if (key == "loop")
    return s.Flag(e.loop, "loop") && s.Finish();
  if (key == "stream")
    return s.Flag(e.stream, "stream") && s.Finish();
  if (key == "fadeout") {
    if (!s.Number(number, "fadeout (milliseconds)", 0, 10000) || !s.Finish())
      return false;
    e.fadeoutMs = static_cast<int>(number);
    return true;
  }
  if (key == "parameter") {
    ParameterSpec p;
    if (!ReadParameter(s, p))
      return false;
    for (const ParameterSpec& other : e.parameters)
      if (other.name == p.name)
        return s.Fail("parameter \"" + p.name + "\" given twice in one event");
    e.parameters.push_back(p);
    return true;
  }
  return s.Fail("unknown event setting \"" + key + "\"");
}

bool CheckEvent(const EventSpec& e, std::string& problem) {
  if (e.file.empty())
    problem = "event " + e.id + " has no sound file";
  else if (e.bus.empty())
    problem = "event " + e.id + " has no bus";
  for (const ParameterSpec& p : e.parameters)
    if (p.effect == ParameterEffect::LoopStart && !(e.loop && e.stream))
      problem = "event " + e.id + ": a loop-start parameter needs a looping, streamed event";
  return problem.empty();
}

// Reads one statement outside an event block.
bool ReadTopLine(Statement& s, BankSpec& bank, std::set<std::string>& names) {
  if (bank.kind == BankKind::Master) {
    BusSpec bus;
    if (!s.Keyword("bus") || !s.Name(bus.path, "the bus path"))
      return false;
    if (bus.path.rfind("bus:/", 0) != 0)
      return s.Fail("a bus path starts with \"bus:/\"");
    if (!s.Keyword("volume") || !s.Number(bus.volume, "volume", 0, kMaxVolume) || !s.Finish())
      return false;
    if (!names.insert(bus.path).second)
      return s.Fail("bus \"" + bus.path + "\" defined twice");
    bank.buses.push_back(bus);
    return true;
  }
  PathSpec path;
  if (!s.Keyword("path") || !s.Name(path.path, "the event path"))
    return false;
  if (path.path.rfind("event:/", 0) != 0)
    return s.Fail("an event path starts with \"event:/\"");
  if (!s.Id(path.id) || !s.Finish())
    return false;
  if (!names.insert(path.path).second)
    return s.Fail("path \"" + path.path + "\" given twice");
  bank.paths.push_back(path);
  return true;
}

} // namespace

bool ReadBank(std::string_view text, BankSpec& bank, std::string& problem) {
  bank = BankSpec();
  problem.clear();
  if (text.size() > kMaxBankBytes) {
    problem = "the file is larger than " + std::to_string(kMaxBankBytes) + " bytes";
    return false;
  }
  std::vector<Word> words;
  std::set<std::string> names;     // buses, paths or event ids seen so far
  std::set<std::string> eventKeys; // settings seen in the open event
  bool haveHeader = false;
  bool inEvent = false;
  int lineNumber = 0;
  size_t start = 0;
  // Until its first line has been read the file is not known to be a bank at all.
  auto fail = [&](const std::string& what) {
    problem =
        (haveHeader ? "line " : "not a bank: line ") + std::to_string(lineNumber) + ": " + what;
    return false;
  };
  while (start <= text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos)
      end = text.size();
    std::string_view line = text.substr(start, end - start);
    start = end + 1;
    ++lineNumber;
    std::string what;
    if (!SplitLine(line, words, what))
      return fail(what);
    if (words.empty())
      continue;
    Statement s(words, what);
    bool ok;
    if (!haveHeader) {
      ok = ReadHeader(s, bank.kind);
      haveHeader = ok;
    } else if (inEvent) {
      if (!words[0].quoted && words[0].text == "end") {
        ok = s.Keyword("end") && s.Finish() && CheckEvent(bank.events.back(), what);
        inEvent = false;
      } else {
        ok = ReadEventLine(s, bank.events.back(), eventKeys);
      }
    } else if (bank.kind == BankKind::Events) {
      EventSpec e;
      ok = s.Keyword("event") && s.Id(e.id) && s.Finish();
      if (ok && !names.insert(e.id).second)
        ok = s.Fail("event " + e.id + " defined twice");
      if (ok) {
        bank.events.push_back(e);
        eventKeys.clear();
        inEvent = true;
      }
    } else {
      ok = ReadTopLine(s, bank, names);
    }
    if (!ok)
      return fail(what);
  }
  if (!haveHeader) {
    problem = "not a bank: the \"vantix-bank 1 <kind>\" line is missing";
    return false;
  }
  if (inEvent) {
    problem = "the file ends inside event " + bank.events.back().id + ", before its \"end\"";
    return false;
  }
  return true;
}

} // namespace audio
