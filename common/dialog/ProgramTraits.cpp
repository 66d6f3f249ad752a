#include "common/dialog/ProgramTraits.h"

#include <atomic>

namespace
{
std::atomic<PictavoProgram> g_program{PictavoProgram::MAIN};
} // namespace

bool SelectProgram(PictavoProgram program)
{
    g_program.store(program);
    return true;
}

const ProgramTraits& CurrentProgram()
{
    return GetProgramTraits(g_program.load());
}
