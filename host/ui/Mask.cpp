#include "host/ui/Mask.h"

#include "host/rtl/SysUtils.h"
#include "host/ui/AnsiText.h"

namespace Mask {

namespace {

// Characters that Qt's mask language reads as commands; a literal one needs a '\'.
bool IsQtMaskCommand(char C) {
  static const std::string commands = "AaNnXx90Dd#HhBb><![]{}\\;";
  return commands.find(C) != std::string::npos;
}

void AddLiteral(std::string& Out, char C) {
  if (IsQtMaskCommand(C)) Out += '\\';
  Out += C;
}

}  // namespace

std::string ToQtInputMask(const std::string& EditMask) {
  // The body ends at the first ';' that is not escaped; the blank character is the
  // third section.
  std::string body;
  std::string sections;
  for (std::size_t i = 0; i < EditMask.size(); ++i) {
    if (EditMask[i] == '\\' && i + 1 < EditMask.size()) {
      body += EditMask.substr(i, 2);
      ++i;
    } else if (EditMask[i] == ';') {
      sections = EditMask.substr(i + 1);
      break;
    } else {
      body += EditMask[i];
    }
  }
  if (body.empty()) return std::string();
  char blank = ' ';
  const std::size_t second = sections.find(';');
  if (second != std::string::npos && second + 1 < sections.size()) blank = sections[second + 1];

  const SysUtils::TFormatSettings& settings = SysUtils::FormatSettings();
  std::string out;
  for (std::size_t i = 0; i < body.size(); ++i) {
    const char c = body[i];
    switch (c) {
      case '9': out += '0'; break;
      case '0': out += '9'; break;
      case 'L': out += 'A'; break;
      case 'l': out += 'a'; break;
      case 'A': out += 'N'; break;
      case 'a': out += 'n'; break;
      case 'C': out += 'X'; break;
      case 'c': out += 'x'; break;
      case '#': out += '#'; break;
      case '/': AddLiteral(out, settings.DateSeparator); break;
      case ':': AddLiteral(out, settings.TimeSeparator); break;
      case '>': case '<': case '!': break;  // case and direction marks: not kept
      case '\\':
        if (i + 1 < body.size()) AddLiteral(out, body[++i]);
        break;
      default: AddLiteral(out, c); break;
    }
  }
  out += ';';
  out += blank;
  return out;
}

TMaskEdit::TMaskEdit(Classes::TComponent* AOwner) : StdCtrls::TEdit(AOwner) {}

void TMaskEdit::SetEditMask(const std::string& Value) {
  FEditMask = Value;
  const std::string kept = Text();
  const bool modified = Modified();
  SetQtInputMask(AnsiText::ToQString(ToQtInputMask(Value)));
  SetQtText(AnsiText::ToQString(kept));
  setModified(modified);
}

}  // namespace Mask
