// Writes the Untis exports of a made-up school, deterministically, in the shape Untis writes
// them: GPU002.TXT (teaching distribution), GPU004.TXT (teachers) and LEHRER.TXT (target
// hours, extra and reduced work). Comma separated, texts in quotes, CR LF, Windows-1252.
//
//   demo_school [--school-form GY|GE|R|H|BK|WB] [--lines N] [--seed S] OUT_DIR
//
// A lesson number stands on several lines, one per class and coupled teacher; the weekly
// hours of the class (column 3) stand on a class's first line only, those of the teacher
// (column 4) on a teacher's first line only. The school covers team teaching, one teacher
// for several classes, religion groups across parallel classes, upper-school courses,
// WP courses, AGs, bilingual subjects and classes named 5.1 or 8a. With --lines the
// school's lessons are repeated under new lesson numbers until N lines are written.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// A small deterministic generator, the same on every platform.
class Random {
public:
  explicit Random(std::uint64_t seed) : m_state(seed * 2654435761u + 1) {}
  std::uint32_t next() {
    m_state ^= m_state << 13;
    m_state ^= m_state >> 7;
    m_state ^= m_state << 17;
    return static_cast<std::uint32_t>(m_state);
  }
  int below(int n) { return static_cast<int>(next() % static_cast<std::uint32_t>(n)); }

private:
  std::uint64_t m_state;
};

struct Teacher {
  std::string code;
  std::string surname;
  std::string firstName;
  int sex;            // 1 female, 2 male
  std::string birth;  // YYYYMMDD
  char legal;         // statistics code of the legal relationship
  double target;      // weekly target hours
  int hours = 0;      // hours given so far
};

struct Line {
  int unr;
  std::string hours;  // weekly hours of the lesson
  std::string cls;
  std::string teacher;
  std::string subject;
  std::string room;
  int pupils;
  int male;
  int female;
  std::string weekly;  // weekly value
  std::string statL;
  bool classFirst;    // the class's first line in this lesson
  bool teacherFirst;  // the teacher's first line in this lesson
};

const char* surnames[] = {
    "Müller",   "Schmidt",   "Schneider", "Fischer", "Weber",   "Meyer",      "Wagner",
    "Becker",   "Schulz",    "Hoffmann",  "Schäfer", "Koch",    "Bauer",      "Richter",
    "Klein",    "Wolf",      "Schröder",  "Neumann", "Schwarz", "Zimmermann", "Braun",
    "Krüger",   "Hofmann",   "Hartmann",  "Lange",   "Schmitt", "Werner",     "Schmitz",
    "Krause",   "Meier",     "Lehmann",   "Schmid",  "Schulze", "Maier",      "Köhler",
    "Herrmann", "König",     "Walter",    "Mayer",   "Huber",   "Kaiser",     "Fuchs",
    "Peters",   "Lang",      "Scholz",    "Möller",  "Weiß",    "Jung",       "Hahn",
    "Schubert", "Vogel",     "Friedrich", "Keller",  "Günther", "Frank",      "Berger",
    "Winkler",  "Roth",      "Beck",      "Lorenz",  "Baumann", "Franke",     "Albrecht",
    "Özdemir",  "Schuster",  "Simon",     "Ludwig",  "Böhm",    "Winter",     "Kraus",
    "Martin",   "Schumacher"};
const char* femaleNames[] = {"Anna", "Sabine", "Jürgen", "Claudia", "Petra", "Monika",
                             "Jörg", "Gülay",  "Bärbel", "Katrin",  "Renée", "Ute"};
const char* maleNames[] = {"Thomas", "Michael", "Andreas", "Stefan", "Jörg",  "Klaus",
                           "Björn",  "Jürgen",  "René",    "Frank",  "Özgür", "Uwe"};

std::string upper(std::string s) {
  for (char& c : s) {
    auto u = static_cast<unsigned char>(c);
    if (u >= 'a' && u <= 'z')
      c = static_cast<char>(u - 32);
    else if (u == 0xE4)
      c = static_cast<char>(0xC4);
    else if (u == 0xF6)
      c = static_cast<char>(0xD6);
    else if (u == 0xFC)
      c = static_cast<char>(0xDC);
    else if (u == 0xDF)
      c = 'S';
  }
  return s;
}

std::vector<Teacher> makeTeachers(Random& rnd, int count) {
  std::vector<Teacher> teachers;
  std::map<std::string, int> used;
  const char legalCodes[] = {'L', 'L', 'L', 'L', 'U', 'B', 'A', 'P', 'W'};
  for (int i = 0; i < count; ++i) {
    Teacher t;
    t.surname = surnames[i % (sizeof surnames / sizeof *surnames)];
    t.sex = rnd.below(2) + 1;
    t.firstName = t.sex == 1 ? femaleNames[rnd.below(12)] : maleNames[rnd.below(12)];
    std::string code = upper(t.surname).substr(0, 3);
    int n = used[code]++;
    if (n > 0) code += static_cast<char>('A' + n - 1);
    t.code = code;
    int year = 1960 + rnd.below(38);
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04d%02d%02d", year, 1 + rnd.below(12), 1 + rnd.below(28));
    t.birth = buf;
    t.legal = legalCodes[rnd.below(9)];
    t.target = rnd.below(4) == 0 ? 14.0 + rnd.below(8) : 25.5;
    teachers.push_back(t);
  }
  return teachers;
}

std::string quoted(const std::string& s) { return "\"" + s + "\""; }

class School {
public:
  School(std::string form, std::uint64_t seed) : m_form(std::move(form)), m_rnd(seed) {
    m_teachers = makeTeachers(m_rnd, 70);
  }

  void build() {
    if (m_form == "BK" || m_form == "WB")
      buildVocational();
    else
      buildGeneral();
  }

  const std::vector<Line>& lines() const { return m_lines; }
  const std::vector<Teacher>& teachers() const { return m_teachers; }

private:
  // The teacher with the fewest hours so far, so every teacher gets work.
  Teacher& pickTeacher() {
    Teacher* best =
        &m_teachers[static_cast<std::size_t>(m_rnd.below(static_cast<int>(m_teachers.size())))];
    for (int i = 0; i < 3; ++i) {
      Teacher& t =
          m_teachers[static_cast<std::size_t>(m_rnd.below(static_cast<int>(m_teachers.size())))];
      if (t.hours < best->hours) best = &t;
    }
    return *best;
  }

  std::string room(const std::string& subject) {
    static const std::map<std::string, std::string> special = {
        {"BI", "BIO1"}, {"CH", "CHE1"}, {"PH", "PHY1"}, {"MU", "MU1"},
        {"KU", "KU1"},  {"SP", "TH1"},  {"IF", "IF1"}};
    auto it = special.find(subject.substr(0, 2));
    if (it != special.end()) return it->second;
    return "R" + std::to_string(100 + m_rnd.below(40));
  }

  // One lesson: each group is one teacher with a subject for a set of classes.
  struct Group {
    std::string subject;
    std::vector<std::string> classes;
  };
  void lesson(int hours, const std::vector<Group>& groups, const std::string& weekly = "",
              const std::string& statL = "") {
    ++m_unr;
    std::map<std::string, bool> classSeen;
    for (const auto& g : groups) {
      Teacher& t = pickTeacher();
      t.hours += hours;
      bool teacherFirst = true;
      std::string r = room(g.subject);
      for (const auto& c : g.classes) {
        Line l;
        l.unr = m_unr;
        l.hours = std::to_string(hours);
        l.cls = c;
        l.teacher = t.code;
        l.subject = g.subject;
        l.room = r;
        l.pupils = 14 + m_rnd.below(16);
        l.female = m_rnd.below(4) == 0 ? 0 : l.pupils / 2 - 2 + m_rnd.below(5);
        l.male = l.female == 0 ? 0 : l.pupils - l.female;
        l.weekly = weekly.empty() ? std::to_string(hours) + ".000" : weekly;
        l.statL = statL;
        l.classFirst = !classSeen[c];
        l.teacherFirst = teacherFirst;
        classSeen[c] = true;
        teacherFirst = false;
        m_lines.push_back(l);
      }
    }
  }

  void buildGeneral() {
    bool gymnasium = m_form == "GY" || m_form == "GE";
    int lastGrade = m_form == "GY" ? 10 : 10;
    for (int grade = 5; grade <= lastGrade; ++grade) {
      std::vector<std::string> classes;
      int parallel = grade == 10 ? 4 : 5;
      for (int p = 1; p <= parallel; ++p)
        classes.push_back(grade <= 7 ? std::to_string(grade) + "." + std::to_string(p)
                                     : std::to_string(grade) + static_cast<char>('a' + p - 1));
      for (const auto& c : classes) {
        lesson(4, {{"D", {c}}});
        lesson(4, {{"M", {c}}});
        lesson(4, {{"E", {c}}});
        lesson(2, {{grade >= 7 ? "GE" : "EK", {c}}});
        lesson(2, {{"BI", {c}}});
        if (grade >= 7) lesson(2, {{"PH", {c}}});
        if (grade >= 8) lesson(2, {{"CH", {c}}});
        lesson(2, {{grade % 2 ? "MU" : "KU", {c}}});
        if (grade == 5)
          lesson(3, {{"SP", {c}}, {"SP", {c}}});  // team teaching
        else
          lesson(3, {{"SP", {c}}});
        if (grade >= 9) lesson(2, {{"PK", {c}}});
        // A bilingual subject in the a/1 classes from grade 7 on.
        if (grade >= 7 && (c.back() == 'a' || c.back() == '1')) lesson(2, {{"EKE", {c}}});
        if (m_form == "GE" && grade >= 7) {
          lesson(4, {{"M  E1", {c}}, {"M  G1", {c}}});
          lesson(4, {{"E  E1", {c}}, {"E  G1", {c}}});
        }
      }
      // Religion across two parallel classes: three groups in one lesson.
      for (std::size_t i = 0; i + 1 < classes.size(); i += 2)
        lesson(2, {{"KR", {classes[i], classes[i + 1]}},
                   {"ER", {classes[i], classes[i + 1]}},
                   {"PP", {classes[i], classes[i + 1]}}});
      if (classes.size() % 2) lesson(2, {{"KR", {classes.back()}}, {"ER", {classes.back()}}});
      // Remedial groups across the grade: three teachers, every class on each line.
      if (grade <= 8) lesson(1, {{"DF", classes}, {"MF", classes}, {"EF", classes}});
      // Second foreign language from grade 7, across the grade.
      if (gymnasium && grade >= 7) lesson(3, {{"F6", classes}, {"L6", classes}});
      // WP courses in grades 9 and 10.
      if (grade >= 9) lesson(3, {{"IFWP2", classes}, {"BIWP2", classes}, {"S8WPI", classes}});
    }
    // One teacher for an AG of several classes, and an epochal lesson of 1.5 hours.
    lesson(2, {{"AGCH", {"5.1", "5.2", "6.1", "6.2"}}});
    lesson(2, {{"AGIF", {"7.3", "7.4", "8a"}}});
    lesson(2, {{"MU", {"6.3"}}}, "1.500");
    if (m_form == "GY" || m_form == "GE") buildUpperSchool();
  }

  void buildUpperSchool() {
    const char* basic[] = {"D  G", "M  G", "E  G", "BI G", "CH G", "PH G", "GE G", "PA G",
                           "KR G", "ER G", "SP G", "KU G", "MU G", "IF G", "F6 G", "L6 G"};
    const char* advanced[] = {"MAL", "D  L", "E  L", "BIL", "GEL", "SPL"};
    for (const char* stage : {"EF", "Q1", "Q2"}) {
      std::string s = stage;
      for (int band = 0; band < 20; ++band) {
        std::vector<Group> groups;
        for (int k = 0; k < 6; ++k)
          groups.push_back(
              {std::string(basic[(band * 6 + k) % 16]) + std::to_string(1 + band % 3), {s}});
        lesson(3, groups);
      }
      if (s != "EF") {
        std::vector<Group> lk;
        for (int k = 0; k < 6; ++k) lk.push_back({std::string(advanced[k]) + "1", {s}});
        lesson(5, lk, "", "LK");
        for (int k = 0; k < 6; ++k)
          lk[static_cast<std::size_t>(k)].subject = std::string(advanced[k]) + "2";
        lesson(5, lk, "", "LK");
        lesson(2, {{"SWZ1", {s}}});
        lesson(3, {{"GEEG1", {s}}});  // bilingual history course
      } else {
        lesson(2, {{"VXD1", {s}}, {"VXM1", {s}}});
      }
    }
    lesson(2, {{"PXBI", {"Q1"}}});
  }

  void buildVocational() {
    const char* classes[] = {"BFS1A", "BFS1B", "BFS2A", "HBFS1", "BS11E", "BS12E",
                             "FOS11", "FOS12", "BG11",  "BG12",  "BG13"};
    const char* subjects[] = {"DEU", "MAT", "ENG", "PUG", "REL", "SPO", "BWL",
                              "RW",  "IF",  "WI",  "VWL", "D",   "E"};
    for (const char* c : classes) {
      for (int k = 0; k < 10; ++k)
        lesson(2 + m_rnd.below(3), {{subjects[(k * 3 + c[2]) % 13], {c}}});
      lesson(2, {{"DEU", {c}}, {"DEU", {c}}});  // team teaching
    }
    lesson(2, {{"REL", {"BFS1A", "BFS1B"}}, {"ETH", {"BFS1A", "BFS1B"}}});
    lesson(3, {{"ENG", {"BS11E", "BS12E"}}});
    lesson(3, {{"MAL1", {"BG12"}}, {"D  G1", {"BG12"}}});
  }

  std::string m_form;
  Random m_rnd;
  std::vector<Teacher> m_teachers;
  std::vector<Line> m_lines;
  int m_unr = 0;
};

std::string gpu002Line(const Line& l, int unrOffset) {
  // Columns 3 and 4 hold values on the first line of a class and of a teacher only.
  std::string c3 = l.classFirst ? l.hours : "";
  std::string c4 = l.teacherFirst ? l.hours : "";
  char yearly[32];
  std::snprintf(yearly, sizeof yearly, "%.3f", std::atof(l.weekly.c_str()) * 38);
  std::string out;
  out += std::to_string(l.unr + unrOffset) + ",";              // 1 lesson number
  out += l.hours + "," + c3 + "," + c4 + ",";                  // 2-4 weekly hours
  out += quoted(l.cls) + "," + quoted(l.teacher) + ",";        // 5-6
  out += quoted(l.subject) + "," + quoted(l.room) + ",";       // 7-8
  out += quoted("") + ",";                                     // 9 statistics code
  out += std::to_string(l.pupils) + "," + l.weekly + ",";      // 10-11
  out += quoted("") + "," + quoted("") + ",";                  // 12-13 group, line text
  out += "0,";                                                 // 14 line value
  out += quoted("20260810") + "," + quoted("20270731") + ",";  // 15-16 dates
  out += std::string(yearly) + ",";                            // 17 yearly value
  for (int col = 18; col <= 32; ++col) out += col == 20 ? quoted("") + "," : ",";
  out += quoted(l.statL) + ",";                                    // 33 statistics code teacher
  out += std::to_string(l.male) + "," + std::to_string(l.female);  // 34-35
  return out + "\r\n";
}

std::string gpu004Line(const Teacher& t, int index) {
  std::vector<std::string> cols(41);
  cols[0] = quoted(t.code);
  // Some schools keep "Name, Vorname" in the long name; the quotes keep the comma in it.
  cols[1] = quoted(index % 9 == 4 ? t.surname + ", " + t.firstName : t.surname);
  cols[2] = quoted(std::string(1, t.legal));
  cols[28] = quoted(t.firstName);
  cols[30] = std::to_string(t.sex);
  cols[32] = quoted("");
  cols[36] = index % 23 == 7 ? "1" : "";
  cols[40] = t.birth;
  std::string out;
  for (std::size_t i = 0; i < cols.size(); ++i) out += (i ? "," : "") + cols[i];
  return out + "\r\n";
}

std::string hours5(double h) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%5.2f", h);
  std::string s = buf;
  return s.size() > 5 ? s.substr(0, 5) : s;
}

std::string lehrerTxt(const std::vector<Teacher>& teachers) {
  static const char* nicht[] = {"510", "610", "945", "500", "936"};
  static const char* mehr[] = {"110", "160"};
  static const char* minder[] = {"200", "210", "360"};
  std::string out;
  int i = 0;
  for (const auto& t : teachers) {
    std::string code = (t.code + "    ").substr(0, 4);
    out += "LS123456" + code + hours5(t.target) + "   \r\n";
    if (i % 4 == 0) out += "65123456" + code + hours5(1.0 + i % 3) + nicht[i % 5] + "\r\n";
    if (i % 4 == 0 && i % 8 == 0) out += "65123456" + code + hours5(0.5) + nicht[i % 5] + "\r\n";
    if (i % 5 == 1) out += "66123456" + code + hours5(1.0) + mehr[i % 2] + "\r\n";
    if (i % 6 == 2) out += "67123456" + code + hours5(2.0 + i % 2) + minder[i % 3] + "\r\n";
    ++i;
  }
  return out;
}

void write(const fs::path& file, const std::string& bytes) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) {
    std::fprintf(stderr, "cannot write %s\n", file.string().c_str());
    std::exit(1);
  }
}

}  // namespace

int main(int argc, char** argv) {
  std::string form = "GY";
  long lines = 0;
  std::uint64_t seed = 2021;
  fs::path out;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "--school-form" && i + 1 < argc)
      form = argv[++i];
    else if (a == "--lines" && i + 1 < argc)
      lines = std::atol(argv[++i]);
    else if (a == "--seed" && i + 1 < argc)
      seed = std::strtoull(argv[++i], nullptr, 10);
    else if (out.empty() && a[0] != '-')
      out = a;
    else {
      std::fprintf(
          stderr,
          "usage: demo_school [--school-form GY|GE|R|H|BK|WB] [--lines N] [--seed S] OUT_DIR\n");
      return 2;
    }
  }
  if (out.empty()) {
    std::fprintf(
        stderr,
        "usage: demo_school [--school-form GY|GE|R|H|BK|WB] [--lines N] [--seed S] OUT_DIR\n");
    return 2;
  }
  School school(form, seed);
  school.build();
  fs::create_directories(out);

  // The teaching distribution, repeated under new lesson numbers for large files.
  std::ofstream gpu002(out / "GPU002.TXT", std::ios::binary | std::ios::trunc);
  long written = 0;
  int block = 0;
  do {
    std::string chunk;
    for (const auto& l : school.lines()) {
      if (lines > 0 && written >= lines) break;
      chunk += gpu002Line(l, block * 1000);
      ++written;
    }
    gpu002.write(chunk.data(), static_cast<std::streamsize>(chunk.size()));
    ++block;
  } while (lines > 0 && written < lines);
  if (!gpu002) {
    std::fprintf(stderr, "cannot write GPU002.TXT\n");
    return 1;
  }

  std::string teachers;
  int i = 0;
  for (const auto& t : school.teachers()) teachers += gpu004Line(t, i++);
  // Untis marks unknown teachers with "?": the import skips such a line.
  teachers += "\"???\",\"Unbekannt\",\"\",,,,,,,,,,,,,,,,,,,,,,,,,,\"\",,,\"\",,,,,,,,,\r\n";
  write(out / "GPU004.TXT", teachers);
  write(out / "LEHRER.TXT", lehrerTxt(school.teachers()));
  std::printf("%ld lesson lines, %zu teachers in %s\n", written, school.teachers().size(),
              out.string().c_str());
  return 0;
}
