// The picture formats of the splits graph: the PS, SVG and PDF commands.
#pragma once

#include <vector>

class tSplitsGraphBlk;
class tSplitsBlk;
class tTaxaBlk;

enum class tPictureFormat { PS, SVG, PDF };

struct tPictureKind {
  const char* command;   // the command word, also the name in messages
  const char* extension; // of the default file name: the title followed by it
};
const tPictureKind& picture_kind(tPictureFormat format);

// As draw_ps, in the given format.
int draw_picture(tPictureFormat format, tSplitsGraphBlk& graph, const tTaxaBlk* taxa, const tSplitsBlk* splits,
                 const std::vector<int>* support, const char* info, const char* filename, const char* title);
