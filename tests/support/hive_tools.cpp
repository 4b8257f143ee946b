#include "support/hive_tools.h"

#include <fstream>
#include <map>
#include <sstream>

#include "support/process.h"

namespace testsupport {
namespace {

const char kReglookup[] = "/usr/bin/reglookup";
const char kHivexregedit[] = "/usr/bin/hivexregedit";
const char kHivexsh[] = "/usr/bin/hivexsh";

ProcessResult Run(const char* program, std::vector<std::string> args) {
  ProcessOptions options;
  options.args = std::move(args);
  return RunProcess(program, options);
}

bool Clean(const ProcessResult& r) { return r.exited && r.status == 0 && r.err.empty(); }

// reglookup shows string data in ASCII only and warns about any other
// character; the warning says nothing about the hive.
ProcessResult WithoutDisplayWarnings(ProcessResult r) {
  std::string kept;
  std::istringstream in(r.err);
  for (std::string line; std::getline(in, line);) {
    if (line.find("quoting raw buffer") == std::string::npos) kept += line + "\n";
  }
  r.err = kept;
  return r;
}

std::string Complaint(const char* tool, const ProcessResult& r) {
  std::ostringstream s;
  s << tool << " (" << (r.exited ? "exit " : "signal ") << r.status << "): " << r.err;
  return s.str();
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// reglookup's "/A/B" as "A\\B".
std::string FromSlashes(const std::string& path) {
  std::string out = path.size() > 0 && path[0] == '/' ? path.substr(1) : path;
  for (char& c : out) {
    if (c == '/') c = '\\';
  }
  return out;
}

int HexDigit(char c);

// reglookup's %XX escapes as the bytes they stand for.
std::string Unescape(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() &&
        HexDigit(text[i + 1]) >= 0 && HexDigit(text[i + 2]) >= 0) {
      out += static_cast<char>(HexDigit(text[i + 1]) * 16 + HexDigit(text[i + 2]));
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// "aa,bb,cc" as bytes.
bool HexBytes(const std::string& text, std::string* bytes) {
  bytes->clear();
  std::size_t i = 0;
  while (i < text.size()) {
    if (text[i] == ',' || text[i] == ' ') {
      ++i;
      continue;
    }
    if (i + 1 >= text.size() || HexDigit(text[i]) < 0 || HexDigit(text[i + 1]) < 0) return false;
    bytes->push_back(static_cast<char>(HexDigit(text[i]) * 16 + HexDigit(text[i + 1])));
    i += 2;
  }
  return true;
}

// The values hivexregedit exports for key, by name.
bool ExportedValues(const std::string& hive, const std::string& key,
                    std::map<std::string, std::string>* values, std::string* error) {
  ProcessResult r = Run(kHivexregedit, {"--export", hive, "\\" + key});
  if (!Clean(r)) {
    *error = Complaint("hivexregedit", r);
    return false;
  }
  // Join continued lines ("...,\" then "  ...").
  std::vector<std::string> lines;
  for (const std::string& line : Lines(r.out)) {
    if (!lines.empty() && !lines.back().empty() && lines.back().back() == '\\') {
      lines.back().pop_back();
      lines.back() += line.substr(line.find_first_not_of(' '));
    } else {
      lines.push_back(line);
    }
  }
  const std::string header = "[\\" + key + "]";
  bool inKey = false;
  for (const std::string& line : lines) {
    if (!line.empty() && line[0] == '[') {
      inKey = line == header;
      continue;
    }
    if (!inKey || line.empty()) continue;
    std::string name;
    std::size_t i = 0;
    if (line[0] == '@') {
      i = 1;
    } else if (line[0] == '"') {
      for (i = 1; i < line.size() && line[i] != '"'; ++i) {
        if (line[i] == '\\' && i + 1 < line.size()) ++i;
        name += line[i];
      }
      ++i;
    }
    if (i >= line.size() || line[i] != '=') {
      *error = "hivexregedit: unexpected line: " + line;
      return false;
    }
    std::string data = line.substr(i + 1);
    std::string bytes;
    if (data.compare(0, 6, "dword:") == 0) {
      std::uint32_t v = static_cast<std::uint32_t>(std::stoul(data.substr(6), nullptr, 16));
      bytes = DwordBytes(v);
    } else {
      std::size_t colon = data.find(':');
      if (data.compare(0, 3, "hex") != 0 || colon == std::string::npos ||
          !HexBytes(data.substr(colon + 1), &bytes)) {
        *error = "hivexregedit: unexpected data: " + line;
        return false;
      }
    }
    (*values)[name] = bytes;
  }
  return true;
}

}  // namespace

bool ListHiveKeys(const std::string& hive, std::vector<std::string>* keys, std::string* error) {
  ProcessResult r = Run(kReglookup, {"-H", "-t", "KEY", hive});
  if (!Clean(r)) {
    *error = Complaint("reglookup", r);
    return false;
  }
  keys->clear();
  for (const std::string& line : Lines(r.out)) keys->push_back(FromSlashes(line.substr(0, line.find(','))));
  return true;
}

bool ReadHiveValues(const std::string& hive, const std::string& key,
                    std::vector<HiveValue>* values, std::string* error) {
  std::string slashed = "/" + key;
  for (char& c : slashed) {
    if (c == '\\') c = '/';
  }
  ProcessResult r = WithoutDisplayWarnings(Run(kReglookup, {"-H", "-p", slashed, hive}));
  if (!Clean(r)) {
    *error = Complaint("reglookup", r);
    return false;
  }
  values->clear();
  bool found = false;
  for (const std::string& line : Lines(r.out)) {
    std::vector<std::string> fields;
    std::istringstream in(line);
    for (std::string f; std::getline(in, f, ',');) fields.push_back(f);
    if (fields.size() < 2) continue;
    if (fields[1] == "KEY") {
      found = found || fields[0] == slashed;
      continue;
    }
    std::size_t slash = fields[0].find_last_of('/');
    if (fields[0].substr(0, slash) != slashed) continue;
    values->push_back({Unescape(fields[0].substr(slash + 1)), fields[1], ""});
  }
  if (!found) {
    *error = "no key " + key;
    return false;
  }
  std::map<std::string, std::string> bytes;
  if (!ExportedValues(hive, key, &bytes, error)) return false;
  for (HiveValue& v : *values) {
    auto it = bytes.find(v.name);
    if (it == bytes.end()) {
      *error = "hivexregedit does not show value " + v.name;
      return false;
    }
    v.bytes = it->second;
  }
  return true;
}

std::string HiveReadersComplaints(const std::string& hive) {
  std::string complaints;
  ProcessResult r = Run(kReglookup, {hive});
  if (!Clean(r)) complaints += Complaint("reglookup", r) + "\n";
  r = Run(kHivexregedit, {"--export", hive, "\\"});
  if (!Clean(r)) complaints += Complaint("hivexregedit", r) + "\n";

  std::vector<std::string> keys;
  std::string error;
  if (!ListHiveKeys(hive, &keys, &error)) return complaints + error;
  TempDir dir;
  std::ofstream script(dir / "walk");
  for (const std::string& key : keys) script << "cd \\" << key << "\nlsval\nls\n";
  script.close();
  r = Run(kHivexsh, {"-f", dir / "walk", hive});
  if (!Clean(r)) complaints += Complaint("hivexsh", r) + "\n";
  return complaints;
}

bool MergeIntoHive(const std::string& hive, const std::string& regText, std::string* error) {
  TempDir dir;
  std::ofstream reg(dir / "changes.reg");
  reg << "Windows Registry Editor Version 5.00\n\n" << regText;
  reg.close();
  ProcessResult r = Run(kHivexregedit, {"--merge", hive, dir / "changes.reg"});
  if (!Clean(r)) {
    *error = Complaint("hivexregedit --merge", r);
    return false;
  }
  return true;
}

std::string Utf16z(const std::string& ascii) {
  std::string out;
  for (char c : ascii) {
    out += c;
    out += '\0';
  }
  return out + std::string(2, '\0');
}

std::string DwordBytes(std::uint32_t value) {
  std::string out(4, '\0');
  for (int i = 0; i < 4; ++i) out[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
  return out;
}

}  // namespace testsupport
