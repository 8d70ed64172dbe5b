#include "comm/PortAccess.h"

#include "main/K730Lang.h"

namespace k730 {

namespace {

std::string Fill(std::string text, const std::string& group, const std::string& port,
                 const std::string& device) {
    const auto replace = [&text](const std::string& mark, const std::string& with) {
        for (size_t at = text.find(mark); at != std::string::npos; at = text.find(mark, at + with.size()))
            text.replace(at, mark.size(), with);
    };
    replace("%port", port);
    replace("%device", device);
    replace("%group", group);
    return text;
}

const TText DENIED{"Odmowa dostępu do portu %port (%device).", "Access to port %port (%device) was denied."};
const TText JOIN_GROUP{
    "Urządzenie należy do grupy \"%group\"; dostęp do niego mają członkowie tej grupy.\r\n"
    "Poproś administratora o dodanie Twojego użytkownika do grupy \"%group\"\r\n"
    "(na przykład: sudo usermod -aG %group $USER), a potem wyloguj się i zaloguj ponownie.",
    "The device belongs to the group \"%group\"; members of that group have access to it.\r\n"
    "Ask the administrator to add your user to the group \"%group\"\r\n"
    "(for example: sudo usermod -aG %group $USER), then log out and log in again."};
const TText LOG_IN_AGAIN{
    "Urządzenie należy do grupy \"%group\", do której już należysz, ale od następnego logowania.\r\n"
    "Wyloguj się i zaloguj ponownie.",
    "The device belongs to the group \"%group\", which you have joined since you logged in.\r\n"
    "Log out and log in again."};
const TText GROUP_MAY_NOT{"Urządzenie należy do grupy \"%group\", która nie ma prawa go używać.\r\n"
                          "Poproś administratora o nadanie tej grupie prawa odczytu i zapisu urządzenia.",
                          "The device belongs to the group \"%group\", which may not use it either.\r\n"
                          "Ask the administrator to give that group read and write access to the device."};
const TText NO_GROUP{"Poproś administratora o prawo odczytu i zapisu tego urządzenia.",
                     "Ask the administrator for read and write access to the device."};

const TText& Advice(const TPortAccessFacts& f) {
    if (f.group.empty()) return NO_GROUP;
    if (f.inGroupNow || !f.groupMayUse) return GROUP_MAY_NOT;
    return f.memberNextLogin ? LOG_IN_AGAIN : JOIN_GROUP;
}

} // namespace

std::string PortAccessText(const TPortAccessFacts& facts, int language) {
    const auto lang = static_cast<TLanguage>(language);
    return Fill(std::string(DENIED(lang)) + "\r\n" + std::string(Advice(facts)(lang)), facts.group,
                facts.port, facts.device);
}

std::string PortAccessHint(const TPortAccessFacts& facts) {
    std::string text = Fill(std::string(Advice(facts)(langEnglish)), facts.group, facts.port, facts.device);
    for (size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at))
        text.replace(at, 2, " ");
    return text;
}

std::optional<std::string> TPortAccessNotices::FirstRefusal(const std::string& port, int language) {
    if (!told_.insert(port).second) return std::nullopt;
    const auto facts = ExaminePortAccess(port);
    TPortAccessFacts plain;
    plain.port = port;
    plain.device = port;
    return PortAccessText(facts ? *facts : plain, language);
}

} // namespace k730
