// Tests of the assumptions block.
