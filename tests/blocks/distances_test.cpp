// Tests of the distances block.
