#pragma once

const char* the_version();
