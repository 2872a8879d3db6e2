# The two commands of the README. Both install what is missing first.
.PHONY: run test setup build clean

setup:
	@bash scripts/setup.sh

run: setup
	@bash scripts/run.sh

test: setup
	@bash scripts/test.sh

build: setup
	cmake --preset windows >/dev/null && cmake --build --preset windows -j $$(nproc)

clean:
	rm -rf build
