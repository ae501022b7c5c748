#include <iostream>

int main() {
    int n = 0, best = 0, x = 0;
    std::cin >> n;
    for (int i = 0; i < n; ++i) {
        std::cin >> x;
        if (i == 0 || x > best) best = x;
    }
    std::cout << best << "\n";
}
