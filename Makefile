# The two commands of the README. Both install what is missing first.
.PHONY: run test bench setup build clean

setup:
	@bash scripts/setup.sh

run: setup
	@bash scripts/run.sh

test: setup
	@bash scripts/test.sh

# Not part of the tests: builds the optimised benchmarks, runs them (long:
# the program group opens 100 MiB in Wine six times) and writes the table
# into docs/performance.md.
bench: setup
	@bash scripts/bench.sh

build: setup
	cmake --preset windows >/dev/null && cmake --build --preset windows -j $$(nproc)

clean:
	rm -rf build
