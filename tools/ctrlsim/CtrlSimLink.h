// A symbolic link with a fixed name to the simulator's line, for the length of a run.
//
// A pseudo-terminal gets a new /dev/pts/N every run, while QuillonLT reads its port map
// once at start. A link that ComDevices.sys names stays right from one run to the next.
#pragma once

#include <memory>
#include <string>

namespace quillon::ctrlsim {

class CtrlSimLink {
public:
    // Makes `linkPath` point at `target`. A symbolic link already there is taken to be
    // left by a run that could not clean up and is replaced; anything else (a file, a
    // folder) is the user's and is refused. Nothing, with the reason in *error, when the
    // link cannot be made.
    static std::unique_ptr<CtrlSimLink> create(const std::string& linkPath,
                                               const std::string& target, std::string* error);
    // Removes the link, unless another run has pointed it elsewhere meanwhile.
    ~CtrlSimLink();
    CtrlSimLink(const CtrlSimLink&) = delete;
    CtrlSimLink& operator=(const CtrlSimLink&) = delete;

    const std::string& path() const { return m_path; }

private:
    CtrlSimLink(std::string path, std::string target);

    std::string m_path;
    std::string m_target;
};

}  // namespace quillon::ctrlsim
