#include "bench/gbk_text.h"

#include <random>

Text GbkLikeText(std::size_t size) {
  std::mt19937 random(1);
  Text t;
  t.reserve(size + 64);
  const char ascii[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 ,.";
  while (t.size() < size) {
    if (random() % 8 == 0) {
      for (unsigned n = 1 + random() % 16; n > 0; --n) t += ascii[random() % (sizeof ascii - 1)];
    } else {
      for (unsigned n = 1 + random() % 12; n > 0; --n) {
        t += static_cast<char>(0x81 + random() % 0x7E);
        unsigned second = 0x40 + random() % 0xBF;
        if (second == 0x7F) second = 0x80;
        t += static_cast<char>(second);
      }
    }
  }
  t.resize(size);
  if (!t.empty() && static_cast<unsigned char>(t.back()) >= 0x80) t.back() = 'x';
  return t;
}
